// Errors raised by the storage layer. Their texts are the program's own English messages;
// callers catch them and decide what the user is told.
#pragma once

#include <stdexcept>
#include <string>

namespace pomix {

class EStorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A read asked for more bytes than the stream holds from its position on: a truncated
// stream, or a length field larger than what remains.
class EStreamReadError : public EStorageError {
public:
    EStreamReadError() : EStorageError("Stream read error") {}
};

// A write to a file could not be completed (disk full, device error).
class EStreamWriteError : public EStorageError {
public:
    EStreamWriteError() : EStorageError("Stream write error") {}
};

// A damaged container ("File is corrupt.") or compressed stream ("Compressed file is corrupt").
class ECorruptFile : public EStorageError {
public:
    ECorruptFile() : EStorageError("File is corrupt.") {}
    explicit ECorruptFile(const std::string& message) : EStorageError(message) {}
};

// The container of a data file is damaged, as against a record stream inside it: what was
// decoded from it is not to be trusted.
class EDamagedContainer : public ECorruptFile {
public:
    EDamagedContainer() = default;
};

// A file could not be opened or created; the message names the path.
class EFileError : public EStorageError {
public:
    using EStorageError::EStorageError;
    static EFileError CannotOpen(const std::string& path) {
        return EFileError("Cannot open file " + path);
    }
    static EFileError CannotCreate(const std::string& path) {
        return EFileError("Cannot create file " + path);
    }
};

// A file stands where a folder is to be (or be made): no permission would help, the file has
// to go first.
class ENotAFolder : public EFileError {
public:
    explicit ENotAFolder(const std::string& path) : EFileError(path + " is not a folder") {}
};

}  // namespace pomix
