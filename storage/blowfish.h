// The container's cipher: Blowfish with 16 rounds, every 8-byte block on its own (no chaining).
// A block's bytes 0-3 are the left half and 4-7 the right half, each a little-endian word.
//
// Fill rule: Encipher appends k = 8 - ((size + 1) mod 8) bytes 0x01 and then one byte k, so the
// enciphered size is a multiple of 8; Decipher drops the last k + 1 bytes again.
#pragma once

#include <string>

#include "storage/errors.h"
#include "storage/stream.h"

namespace pomix {

// The key's length modulo 256 is 0: no usable key bytes.
class EKeyError : public EStorageError {
public:
    EKeyError() : EStorageError("Invalid key length") {}
};

// Both leave an empty buffer alone, raise EKeyError for an unusable key length, and leave the
// buffer unchanged for a weak key (one that makes two entries of an S-box equal), so such a
// file is stored plain although it is marked enciphered.
void Encipher(Bytes& buffer, const std::string& key);
// Raises ECorruptFile when the fill count in the last byte is larger than the buffer; the
// buffer is then left as it was.
void Decipher(Bytes& buffer, const std::string& key);

}  // namespace pomix
