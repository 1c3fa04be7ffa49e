// The line syntax that vCard (2.1, 3.0, 4.0) and iCalendar share:
//
//   [group "."] NAME *(";" PARAM ["=" VALUE *("," VALUE)]) ":" value CRLF
//
// Long lines are folded: a line break followed by one blank or tab continues the line before.
// vCard 2.1 also continues a quoted-printable value whose line ends in "=" on the next line,
// whatever that line starts with. Lines may end in CR LF, LF or CR.
//
// Everything here works on bytes: values are decoded (quoted-printable, base64, charset) into
// UTF-8 by DecodeValue, so the vCard and iCalendar readers above see text in one encoding.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/exchange/import_result.h"

namespace pomix::dataio {

// Input that is not a well-formed file of the format; the message names the line.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Limits against hostile input. A file larger than this is refused before it is parsed; an
// unfolded line longer than this (a photo of several megabytes) is left out.
inline constexpr std::size_t kMaxInputBytes = 64u << 20;
inline constexpr std::size_t kMaxLineBytes = 4u << 20;
// Nesting of BEGIN/END blocks deeper than any real file uses.
inline constexpr int kMaxNesting = 16;

struct Parameter {
    std::string Name;                 // upper case
    std::vector<std::string> Values;  // quotes removed
};

struct ContentLine {
    std::string Group;  // "item1" of "item1.TEL"; empty without one
    std::string Name;   // upper case
    std::vector<Parameter> Params;
    std::string Value;  // raw, as it stands after unfolding
    std::size_t LineNumber = 0;

    // Values of every parameter of that name (case ignored); vCard 2.1's bare parameters
    // ("TEL;HOME;VOICE") are TYPE values, bare encodings ENCODING values.
    std::vector<std::string> ParamValues(const std::string& name) const;
    std::string FirstParam(const std::string& name) const;
    // Whether a TYPE parameter holds the value (case ignored).
    bool HasType(const std::string& type) const;
};

// Whether a logical line's quoted-printable value goes on in the next physical line (a soft
// break: "=" at the end).
bool EndsInSoftBreak(const std::string& line);

// One line of the file after unfolding, with the number of its first physical line.
struct LogicalLine {
    std::string Text;
    std::size_t Number = 0;
};

// Splits the text into unfolded lines; blank lines are dropped. A run of CRs before an LF
// (CR CR LF, as some phones write) is one line end. A line over kMaxLineBytes is left out
// and noted in overlong.
std::vector<LogicalLine> UnfoldLines(const std::string& text, std::vector<ImportNote>& overlong);

// One logical line split into its parts; FormatError for a line without a name or a colon.
ContentLine ParseContentLine(const std::string& text, std::size_t number);

// Splits the text into unfolded content lines. Blank lines are dropped. Raises FormatError for
// a line without a name or a colon, a line over kMaxLineBytes, or a NUL byte.
std::vector<ContentLine> ReadContentLines(const std::string& text);

// A BEGIN:NAME ... END:NAME block with its properties and nested blocks, in file order.
struct Component {
    std::string Name;  // upper case
    std::size_t LineNumber = 0;
    std::vector<ContentLine> Properties;
    std::vector<Component> Children;

    const ContentLine* Find(const std::string& name) const;
    std::vector<const ContentLine*> FindAll(const std::string& name) const;
};

// The top-level blocks of the text, read leniently: what cannot be read is left out and noted,
// the rest is kept. Left out are a line that is no property line, a line over kMaxLineBytes,
// text outside any block (one note for each stretch of it), an END that closes no open block,
// a block never ended (when an END closes a block around it, or at the end of the text), and
// a block nested deeper than kMaxNesting.
std::vector<Component> ReadComponents(const std::string& text, std::vector<ImportNote>& notes);
// The same, raising FormatError for the first thing it would leave out.
std::vector<Component> ReadComponents(const std::string& text);

// A value made into UTF-8 text: quoted-printable or base64 undone (ENCODING), then the
// CHARSET parameter applied (any charset iconv knows). Without a known charset, bytes that
// are not valid UTF-8 are taken as windows-1251, the encoding of older Russian phones and
// programs.
std::string DecodeValue(const ContentLine& line);

std::string DecodeQuotedPrintable(const std::string& text);
// Characters outside the base64 alphabet (line breaks, blanks) are skipped.
std::string DecodeBase64(const std::string& text);

// Splits a structured value at the separator where it is not escaped by a backslash; the
// pieces keep their escapes (UnescapeText removes them).
std::vector<std::string> SplitUnescaped(const std::string& value, char separator);
// "\n" and "\N" become a line break, any other escaped character ("\\", "\,", "\;", "\:" …)
// the character itself.
std::string UnescapeText(const std::string& value);
// The reverse for vCard 3.0 and iCalendar text values: backslash, comma, semicolon and line
// breaks escaped, other control characters dropped.
std::string EscapeText(const std::string& text);

// Control characters (below 0x20 but the tab, and DEL) are no text: files may not hold them.
bool IsControl(char c);
std::string WithoutControls(const std::string& text);

// One content line, folded so that no line exceeds 75 bytes (never inside a UTF-8 character),
// ended by CR LF.
std::string FoldLine(const std::string& line);

// A piece of the file quoted in a message: at most 60 bytes (cut at a character boundary,
// "..." added), control characters dropped, so one message stays one short line.
std::string Quoted(const std::string& text);

// Line breaks of any kind (CR LF, CR, LF) made into LF.
std::string NormalizeBreaks(const std::string& text);
// Lines split at LF; "" gives one empty line.
std::vector<std::string> SplitAtBreaks(const std::string& text);

}  // namespace pomix::dataio
