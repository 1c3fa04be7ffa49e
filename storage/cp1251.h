// Code page 1251: the 8-bit encoding of every text the program stores.
#pragma once

#include <string>

namespace pomix {

// Characters that code page 1251 cannot hold become "?"; malformed UTF-8 bytes too.
std::string Utf8ToCp1251(const std::string& utf8);
std::string Cp1251ToUtf8(const std::string& cp1251);

// Upper-cases Latin and Cyrillic letters (Ё and ё included); other bytes are kept.
unsigned char UpperCp1251(unsigned char c);
std::string UpperCase(const std::string& cp1251);
unsigned char LowerCp1251(unsigned char c);
std::string LowerCase(const std::string& cp1251);

// True when the bytes are valid UTF-8 and hold at least one non-ASCII character, or begin
// with the UTF-8 byte-order mark: text files in that form are read as UTF-8.
bool LooksLikeUtf8(const std::string& bytes);
// Text file contents to code page 1251 by that rule (the byte-order mark is dropped).
std::string TextFileToCp1251(const std::string& bytes);

}  // namespace pomix
