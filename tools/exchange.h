// `pomix-data export` and `import`: the records of the data files to and from the files other
// organizers read and write (iCalendar, vCard, CSV).
#pragma once

#include <string>

namespace pomix::tool {

// Writes the whole file or, on any failure, leaves what was at path as it was (the bytes go
// to a temporary file beside it that then takes its name). Raises EFileError or
// EStreamWriteError.
void WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace pomix::tool
