#include "kit/alarm_sound.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <memory>

#include "core/media/alarm_wave.h"

namespace pomix {
namespace {

SoundPlayer& Player() {
    static SoundPlayer player;
    return player;
}

// The sound now playing: the sink reads the samples from the buffer until the end.
struct Playing {
    std::unique_ptr<QBuffer> Samples;
    std::unique_ptr<QAudioSink> Sink;
};

Playing& Current() {
    static Playing playing;
    return playing;
}

void StopCurrent() {
    Playing& playing = Current();
    if (playing.Sink) playing.Sink->stop();
    playing.Sink.reset();
    playing.Samples.reset();
}

QAudioFormat::SampleFormat ToQt(WaveSamples samples) {
    switch (samples) {
        case WaveSamples::UInt8: return QAudioFormat::UInt8;
        case WaveSamples::Int16: return QAudioFormat::Int16;
        case WaveSamples::Int32: return QAudioFormat::Int32;
        case WaveSamples::Float: return QAudioFormat::Float;
    }
    return QAudioFormat::Unknown;
}

}  // namespace

SoundPlayer SetSoundPlayer(SoundPlayer player) {
    SoundPlayer previous = std::move(Player());
    Player() = std::move(player);
    return previous;
}

void PlayAlarm(const std::string& wave) {
    if (Player()) Player()(wave);
    else PlayWaveFromMemory(wave);
}

bool AudioOutputPresent() { return !QMediaDevices::audioOutputs().isEmpty(); }

AlarmPlay PlayWaveFromMemory(const std::string& wave, const std::function<bool()>& hasOutput) {
    WaveInfo info;
    if (!ParseWave(wave, info)) return AlarmPlay::NoSound;
    if (!(hasOutput ? hasOutput() : AudioOutputPresent())) return AlarmPlay::NoOutput;

    QAudioFormat format;
    format.setSampleRate(static_cast<int>(info.SampleRate));
    format.setChannelCount(info.Channels);
    format.setSampleFormat(ToQt(info.Samples));
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(format)) return AlarmPlay::NoOutput;

    StopCurrent();
    Playing& playing = Current();
    playing.Samples = std::make_unique<QBuffer>();
    playing.Samples->setData(wave.data() + info.DataOffset, static_cast<qsizetype>(info.DataSize));
    playing.Samples->open(QIODevice::ReadOnly);
    playing.Sink = std::make_unique<QAudioSink>(device, format);
    playing.Sink->start(playing.Samples.get());
    // The sink and its buffer go before the application's objects do.
    static const bool cleanup = [] {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QObject::connect(app, &QCoreApplication::aboutToQuit, [] { StopCurrent(); });
        }
        return true;
    }();
    (void)cleanup;
    return AlarmPlay::Started;
}

}  // namespace pomix
