// Playing the alarm: a complete wave file held in memory, handed to the sound output and
// played asynchronously; a new play stops the one before. Tests replace the player.
#pragma once

#include <functional>
#include <string>

namespace pomix {

enum class AlarmPlay {
    Started,
    NoSound,   // empty, malformed or of a kind that is not played
    NoOutput,  // the machine has no audio output: silently skipped
};

using SoundPlayer = std::function<void(const std::string& wave)>;

// Installs a player and returns the one it replaces; an empty one restores the default.
SoundPlayer SetSoundPlayer(SoundPlayer player);
// Plays through the installed player.
void PlayAlarm(const std::string& wave);

// The default player. hasOutput tells whether any audio output exists (the desktop's
// devices unless given).
AlarmPlay PlayWaveFromMemory(const std::string& wave, const std::function<bool()>& hasOutput = {});
bool AudioOutputPresent();

}  // namespace pomix
