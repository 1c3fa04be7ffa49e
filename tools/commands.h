// The command groups of pomix-data. Each returns the process exit status:
// 0 done, 1 an error (one line on standard error), 2 a usage error.
#pragma once

#include <string>
#include <vector>

namespace pomix::tool {

using Args = std::vector<std::string>;

inline constexpr int kOk = 0;
inline constexpr int kError = 1;
inline constexpr int kUsage = 2;

int RunLh5(const Args& args);
int RunContainer(const Args& args);
int RunDump(const Args& args);
int RunExport(const Args& args);
int RunImport(const Args& args);
int RunSync(const Args& args);
int RunBackups(const Args& args);
int RunRestore(const Args& args);

// Prints "pomix-data: <message>" to standard error and returns kUsage.
int UsageError(const std::string& message);

}  // namespace pomix::tool
