// One hook through which core routines tell the user about a bad value (a malformed date or
// time). The windows connect it to a message box; tests count the calls.
#pragma once

#include <functional>
#include <string>

namespace pomix {

// The message is the name of a message box text (the dictionary's "Messages" section), which
// the windows show in the interface language.
using ReportHook = std::function<void(const std::string& message)>;

// Installs a hook and returns the one it replaces. Without a hook reports are dropped.
ReportHook SetReportHook(ReportHook hook);
void Report(const std::string& message);

inline constexpr const char* kIncorrectDateMessage = "IncorrectDate";
// For a field that holds a time of day.
inline constexpr const char* kIncorrectTimeMessage = "IncorrectTime";

}  // namespace pomix
