#include "core/exchange/content_line.h"

#include <cctype>
#include <string_view>

#include "core/exchange/charset.h"
#include "storage/cp1251.h"
#include "storage/text.h"

namespace pomix::dataio {
namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    return UpperAscii(a) == UpperAscii(b);
}

std::string LineError(std::size_t line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.';
}

// Parameter values vCard 2.1 writes without a name.
bool IsBareEncoding(const std::string& upper) {
    return upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "8BIT" || upper == "7BIT";
}

ContentLine ParseLine(const std::string& text, std::size_t number) {
    ContentLine line;
    line.LineNumber = number;
    std::size_t i = 0;
    while (i < text.size() && IsNameChar(text[i])) ++i;
    std::string name = text.substr(0, i);
    if (name.empty() || i == text.size() || (text[i] != ':' && text[i] != ';')) {
        throw FormatError(LineError(number, "not a property line"));
    }
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        line.Group = name.substr(0, dot);
        name = name.substr(dot + 1);
        if (name.empty()) throw FormatError(LineError(number, "property without a name"));
    }
    line.Name = UpperAscii(name);
    while (i < text.size() && text[i] == ';') {
        ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != '=' && text[i] != ';' && text[i] != ':') ++i;
        Parameter param;
        param.Name = UpperAscii(text.substr(start, i - start));
        if (i < text.size() && text[i] == '=') {
            ++i;
            for (;;) {
                std::string value;
                if (i < text.size() && text[i] == '"') {
                    const std::size_t close = text.find('"', i + 1);
                    if (close == std::string::npos) {
                        throw FormatError(LineError(number, "unterminated quoted parameter"));
                    }
                    value = text.substr(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const std::size_t from = i;
                    while (i < text.size() && text[i] != ',' && text[i] != ';' && text[i] != ':') {
                        ++i;
                    }
                    value = text.substr(from, i - from);
                }
                param.Values.push_back(value);
                if (i < text.size() && text[i] == ',') {
                    ++i;
                    continue;
                }
                break;
            }
        } else if (!param.Name.empty()) {
            param.Values.push_back(param.Name);
            param.Name = IsBareEncoding(param.Name) ? "ENCODING" : "TYPE";
        }
        if (!param.Name.empty()) line.Params.push_back(std::move(param));
    }
    if (i >= text.size() || text[i] != ':') {
        throw FormatError(LineError(number, "property without a value"));
    }
    line.Value = text.substr(i + 1);
    return line;
}

bool IsAscii(const std::string& bytes) {
    for (unsigned char c : bytes) {
        if (c >= 0x80) return false;
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool EndsInSoftBreak(const std::string& line) {
    if (line.empty() || line.back() != '=') return false;
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    return UpperAscii(line.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
}

std::vector<std::string> ContentLine::ParamValues(const std::string& name) const {
    std::vector<std::string> values;
    for (const Parameter& p : Params) {
        if (EqualNoCase(p.Name, name))
            values.insert(values.end(), p.Values.begin(), p.Values.end());
    }
    return values;
}

std::string ContentLine::FirstParam(const std::string& name) const {
    const auto values = ParamValues(name);
    return values.empty() ? std::string() : values.front();
}

bool ContentLine::HasType(const std::string& type) const {
    for (const std::string& value : ParamValues("TYPE")) {
        // vCard 3.0 also allows "TYPE=home,voice" written as one quoted value.
        for (const std::string& piece : SplitUnescaped(value, ',')) {
            if (EqualNoCase(piece, type)) return true;
        }
    }
    return false;
}

std::vector<LogicalLine> UnfoldLines(const std::string& text, std::vector<ImportNote>& overlong) {
    std::vector<LogicalLine> lines;
    LogicalLine current;
    bool haveCurrent = false;
    bool tooLong = false;
    const auto flush = [&] {
        if (haveCurrent && !tooLong) lines.push_back(std::move(current));
        if (haveCurrent && tooLong) {
            overlong.push_back(
                Coded({current.Number,
                       "line over " + std::to_string(kMaxLineBytes >> 20) + " MiB left out", 1},
                      ImportReason::LineTooLong, std::to_string(kMaxLineBytes >> 20)));
        }
        haveCurrent = tooLong = false;
        current.Text.clear();
    };
    std::size_t number = 1;
    // Programs on Windows often begin a UTF-8 file with the byte-order mark.
    std::size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        const std::string_view physical(text.data() + pos, end - pos);
        // The line end: CR* LF is one, a CR without LF after it one each.
        std::size_t next = end;
        std::size_t breaks = 0;
        if (end < text.size()) {
            while (next < text.size() && text[next] == '\r') ++next;
            if (next < text.size() && text[next] == '\n') {
                ++next;
                breaks = 1;
            } else {
                breaks = next - end;
            }
        }

        if (haveCurrent && !tooLong && EndsInSoftBreak(current.Text)) {
            current.Text.pop_back();
            current.Text += physical;
        } else if (haveCurrent && !physical.empty() &&
                   (physical[0] == ' ' || physical[0] == '\t')) {
            if (!tooLong) current.Text.append(physical.substr(1));
        } else {
            flush();
            if (physical.find_first_not_of(" \t") != std::string_view::npos) {
                current.Text.assign(physical);
                current.Number = number;
                haveCurrent = true;
            }
        }
        if (haveCurrent && current.Text.size() > kMaxLineBytes) {
            tooLong = true;
            current.Text.clear();
            current.Text.shrink_to_fit();
        }
        if (end == text.size()) break;
        number += breaks;
        pos = next;
    }
    flush();
    return lines;
}

ContentLine ParseContentLine(const std::string& text, std::size_t number) {
    return ParseLine(text, number);
}

std::vector<ContentLine> ReadContentLines(const std::string& text) {
    if (text.find('\0') != std::string::npos) throw FormatError("binary data, not text");
    std::vector<ImportNote> overlong;
    std::vector<LogicalLine> logical = UnfoldLines(text, overlong);
    if (!overlong.empty()) throw FormatError(LineError(overlong[0].Line, "line too long"));
    std::vector<ContentLine> lines;
    lines.reserve(logical.size());
    for (const LogicalLine& line : logical) lines.push_back(ParseLine(line.Text, line.Number));
    return lines;
}

const ContentLine* Component::Find(const std::string& name) const {
    for (const ContentLine& line : Properties) {
        if (line.Name == name) return &line;
    }
    return nullptr;
}

std::vector<const ContentLine*> Component::FindAll(const std::string& name) const {
    std::vector<const ContentLine*> found;
    for (const ContentLine& line : Properties) {
        if (line.Name == name) found.push_back(&line);
    }
    return found;
}

std::vector<Component> ReadComponents(const std::string& text, std::vector<ImportNote>& notes) {
    std::vector<Component> top;
    std::vector<Component> open;  // the blocks not yet closed, outermost first
    int ignored = 0;              // depth inside a block nested too deep
    // Text outside any block (a web page after the end) is told as one stretch.
    std::size_t outsideNote = std::string::npos;
    std::size_t outsideFirst = 0;
    const auto neverEnded = [&](const Component& block) {
        notes.push_back(Coded({block.LineNumber, "BEGIN:" + Quoted(block.Name) +
                                                     " is never ended; the block is left out"},
                              ImportReason::NeverEnded, block.Name));
    };
    for (LogicalLine& logical : UnfoldLines(text, notes)) {
        const bool isBegin =
            logical.Text.size() >= 6 && EqualNoCase(logical.Text.substr(0, 6), "BEGIN:");
        if (open.empty() && !isBegin) {
            std::string what = "text outside BEGIN/END left out";
            if (outsideNote != std::string::npos && outsideNote + 1 == notes.size()) {
                notes.back().Reason = "lines " + std::to_string(outsideFirst) + "-" +
                                      std::to_string(logical.Number) + ": " + what;
                ++notes.back().Lines;
                notes.back().LastLine = logical.Number;
            } else {
                outsideFirst = logical.Number;
                notes.push_back(Coded({logical.Number, what, 1}, ImportReason::TextOutside));
                outsideNote = notes.size() - 1;
            }
            continue;
        }
        ContentLine line;
        try {
            line = ParseLine(logical.Text, logical.Number);
        } catch (const FormatError&) {
            notes.push_back(
                Coded({logical.Number,
                       "not a property line, left out: '" + Quoted(logical.Text) + "'", 1},
                      ImportReason::NotAPropertyLine, Quoted(logical.Text)));
            continue;
        }
        if (ignored > 0) {
            if (line.Name == "BEGIN") ++ignored;
            if (line.Name == "END") --ignored;
            continue;
        }
        if (line.Name == "BEGIN") {
            if (open.size() >= static_cast<std::size_t>(kMaxNesting)) {
                notes.push_back(Coded({line.LineNumber, "blocks nested too deep; BEGIN:" +
                                                            Quoted(line.Value) + " is left out"},
                                      ImportReason::NestedTooDeep, Quoted(line.Value)));
                ignored = 1;
                continue;
            }
            Component block;
            block.Name = UpperAscii(TrimBlanks(line.Value));
            block.LineNumber = line.LineNumber;
            // A block does not hold one of its own kind: the open one was never ended.
            std::size_t same = 0;
            while (same < open.size() && open[same].Name != block.Name) ++same;
            while (open.size() > same) {
                neverEnded(open.back());
                open.pop_back();
            }
            open.push_back(std::move(block));
        } else if (line.Name == "END") {
            const std::string name = UpperAscii(TrimBlanks(line.Value));
            std::size_t match = open.size();
            while (match > 0 && open[match - 1].Name != name) --match;
            if (match == 0) {
                notes.push_back(Coded(
                    {line.LineNumber,
                     "END:" + Quoted(line.Value) + " does not close an open block, left out", 1},
                    ImportReason::EndWithoutBegin, Quoted(line.Value)));
                continue;
            }
            while (open.size() > match) {
                neverEnded(open.back());
                open.pop_back();
            }
            Component done = std::move(open.back());
            open.pop_back();
            (open.empty() ? top : open.back().Children).push_back(std::move(done));
        } else {
            open.back().Properties.push_back(std::move(line));
        }
    }
    while (!open.empty()) {
        neverEnded(open.back());
        open.pop_back();
    }
    return top;
}

std::vector<Component> ReadComponents(const std::string& text) {
    if (text.find('\0') != std::string::npos) throw FormatError("binary data, not text");
    std::vector<ImportNote> notes;
    std::vector<Component> blocks = ReadComponents(text, notes);
    if (!notes.empty()) throw FormatError(LineError(notes[0].Line, notes[0].Reason));
    return blocks;
}

std::string DecodeQuotedPrintable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else if (text[i] == '=' && i + 1 == text.size()) {
            // a soft break left at the very end
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string DecodeBase64(const std::string& text) {
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (unsigned char c : text) {
        int v;
        if (c >= 'A' && c <= 'Z') {
            v = c - 'A';
        } else if (c >= 'a' && c <= 'z') {
            v = c - 'a' + 26;
        } else if (c >= '0' && c <= '9') {
            v = c - '0' + 52;
        } else if (c == '+' || c == '-') {
            v = 62;
        } else if (c == '/' || c == '_') {
            v = 63;
        } else if (c == '=') {
            break;
        } else {
            continue;
        }
        bits = (bits << 6) | static_cast<unsigned>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

std::string DecodeValue(const ContentLine& line) {
    std::string bytes = line.Value;
    const std::string encoding = UpperAscii(line.FirstParam("ENCODING"));
    if (encoding == "QUOTED-PRINTABLE") {
        bytes = DecodeQuotedPrintable(bytes);
    } else if (encoding == "BASE64" || encoding == "B") {
        bytes = DecodeBase64(bytes);
    }
    const std::string charset = UpperAscii(line.FirstParam("CHARSET"));
    if (charset == "UTF-8" || charset == "UTF8") return bytes;
    if (!charset.empty() && !IsAscii(bytes)) {
        if (auto utf8 = CharsetToUtf8(bytes, charset)) return *std::move(utf8);
    }
    // No charset, or one the system does not know.
    return IsAscii(bytes) || IsValidUtf8(bytes) ? bytes : Cp1251ToUtf8(bytes);
}

std::vector<std::string> SplitUnescaped(const std::string& value, char separator) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            pieces.back() += value[i];
            pieces.back() += value[++i];
        } else if (value[i] == separator) {
            pieces.emplace_back();
        } else {
            pieces.back() += value[i];
        }
    }
    return pieces;
}

std::string UnescapeText(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[++i];
        out += next == 'n' || next == 'N' ? '\n' : next;
    }
    return out;
}

std::string EscapeText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case ',':
                out += "\\,";
                break;
            case ';':
                out += "\\;";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                // Other control characters cannot stand in a content line.
                if (!IsControl(c)) out += c;
        }
    }
    return out;
}

bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t') || u == 0x7F;
}

std::string WithoutControls(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!IsControl(c)) out += c;
    }
    return out;
}

std::string FoldLine(const std::string& line) {
    constexpr std::size_t kWidth = 75;
    std::string out;
    std::size_t pos = 0;
    std::size_t width = kWidth;
    while (line.size() - pos > width) {
        std::size_t cut = pos + width;
        // Back up to the start of a UTF-8 character.
        while (cut > pos && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        if (cut == pos) cut = pos + width;
        out.append(line, pos, cut - pos);
        out += "\r\n ";
        pos = cut;
        width = kWidth - 1;  // the leading blank counts
    }
    out.append(line, pos, std::string::npos);
    out += "\r\n";
    return out;
}

std::string Quoted(const std::string& text) {
    constexpr std::size_t kLimit = 60;
    // Only the head is looked at: a quoted piece may be megabytes long.
    std::string clean;
    for (std::size_t i = 0; i < text.size() && clean.size() <= kLimit; ++i) {
        if (!IsControl(text[i])) clean += text[i];
    }
    if (clean.size() <= kLimit) return clean;
    std::size_t cut = kLimit;
    while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80) --cut;
    return clean.substr(0, cut) + "...";
}

std::string NormalizeBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> SplitAtBreaks(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : NormalizeBreaks(text)) {
        if (c == '\n') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

}  // namespace pomix::dataio
