#include "core/exchange/charset.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace pomix::dataio {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// Probes this many bytes for the NUL pattern of UTF-16 without a byte-order mark.
constexpr std::size_t kProbeBytes = 4096;

class Converter {
public:
    explicit Converter(const std::string& from) : cd_(iconv_open("UTF-8", from.c_str())) {}
    ~Converter() {
        if (Valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Unconvertible or incomplete input is replaced one byte at a time.
    std::string Run(const std::string& bytes, std::size_t unit) {
        std::string out;
        out.reserve(bytes.size() + bytes.size() / 2);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char buffer[8192];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, outPtr - buffer);
            if (rc != static_cast<std::size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: skip one code unit and say so in the text.
            const std::size_t step = inLeft < unit ? inLeft : unit;
            in += step;
            inLeft -= step;
            out += kReplacement;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, outPtr - buffer);
        return out;
    }

private:
    iconv_t cd_;
};

std::string Convert(const std::string& bytes, const char* charset, std::size_t unit) {
    Converter converter(charset);
    return converter.Valid() ? converter.Run(bytes, unit) : bytes;
}

// UTF-16 without a byte-order mark: in text that is mostly Latin, one byte of each pair is
// zero. Returns the charset name, or nothing.
const char* Utf16ByPattern(const std::string& bytes) {
    const std::size_t probe = std::min(bytes.size(), kProbeBytes) & ~std::size_t{1};
    if (probe < 4) return nullptr;
    std::size_t evenZero = 0, oddZero = 0;
    for (std::size_t i = 0; i < probe; i += 2) {
        evenZero += bytes[i] == '\0';
        oddZero += bytes[i + 1] == '\0';
    }
    const std::size_t pairs = probe / 2;
    // Most pairs have their zero on one side and almost none on the other.
    if (oddZero * 10 >= pairs * 6 && evenZero * 20 <= pairs) return "UTF-16LE";
    if (evenZero * 10 >= pairs * 6 && oddZero * 20 <= pairs) return "UTF-16BE";
    return nullptr;
}

}  // namespace

std::optional<std::string> CharsetToUtf8(const std::string& bytes, const std::string& charset) {
    if (charset.empty()) return std::nullopt;
    Converter converter(charset);
    if (!converter.Valid()) return std::nullopt;
    return converter.Run(bytes, 1);
}

std::string FileToUtf8(const std::string& bytes) {
    const auto starts = [&](const char* mark, std::size_t size) {
        return bytes.size() >= size && bytes.compare(0, size, mark, size) == 0;
    };
    if (starts("\xFF\xFE\0\0", 4)) return Convert(bytes.substr(4), "UTF-32LE", 4);
    if (starts("\0\0\xFE\xFF", 4)) return Convert(bytes.substr(4), "UTF-32BE", 4);
    if (starts("\xEF\xBB\xBF", 3)) return bytes.substr(3);
    if (starts("\xFF\xFE", 2)) return Convert(bytes.substr(2), "UTF-16LE", 2);
    if (starts("\xFE\xFF", 2)) return Convert(bytes.substr(2), "UTF-16BE", 2);
    if (const char* utf16 = Utf16ByPattern(bytes)) return Convert(bytes, utf16, 2);
    return bytes;
}

bool IsValidUtf8(const std::string& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more;
        unsigned min;
        unsigned code;
        if ((c & 0xE0) == 0xC0) {
            more = 1, min = 0x80, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2, min = 0x800, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3, min = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= more) return false;
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        p += more + 1;
    }
    return true;
}

}  // namespace pomix::dataio
