// The program's run, from the command line to the end of the event loop: the whole of main().
#pragma once

#include <functional>
#include <string>

namespace pomix {

class TMainForm;

// shareFromBin: where an installed program finds its shipped files, relative to its folder.
// shown, when given, is called with the main window right after it was shown, before the event
// loop runs (the launch benchmark watches the start through it).
int RunProgram(int argc, char** argv, const std::string& shareFromBin,
               const std::function<void(TMainForm&)>& shown = {});

}  // namespace pomix
