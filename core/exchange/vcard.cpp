#include "core/exchange/vcard.h"

#include <cstdio>

#include "core/exchange/charset.h"
#include "core/exchange/civil_time.h"
#include "core/exchange/content_line.h"
#include "storage/cp1251.h"
#include "storage/text.h"

namespace pomix::dataio {
namespace {

// The category names of the address book, as its tabs show them.
constexpr const char* kPersonalName = "Личные";
constexpr const char* kBusinessName = "Деловые";

// Words other programs use for the two categories (compared without case).
constexpr const char* kPersonalWords[] = {"личные",   "личное",  "личный",
                                          "personal", "private", "home"};
constexpr const char* kBusinessWords[] = {"деловые", "деловое",  "деловой",
                                          "работа",  "business", "work"};

// Note lines for what has no field of its own.
constexpr const char* kPhoneLabel = "Телефон: ";
constexpr const char* kEmailLabel = "E-mail: ";
constexpr const char* kAddressLabel = "Адрес: ";
constexpr const char* kWebLabel = "Сайт: ";
constexpr const char* kBirthdayLabel = "День рождения: ";
constexpr const char* kOrganisationLabel = "Организация: ";
constexpr const char* kTitleLabel = "Должность: ";
constexpr const char* kCategoriesLabel = "Категории: ";

bool IsBirthDate(DateTime value) {
    DateParts parts;
    return value != 0 && TryDecodeDate(value, parts);
}

std::string Escaped(const std::string& cp1251) {
    return EscapeText(Cp1251ToUtf8(cp1251));
}

std::string JoinNonEmpty(const std::vector<std::string>& parts, const std::string& separator) {
    std::string out;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!out.empty()) out += separator;
        out += part;
    }
    return out;
}

// Single-line fields take a value with line breaks as one line.
std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : NormalizeBreaks(text)) out += c == '\n' ? ' ' : c;
    return TrimBlanks(out);
}

std::string WithoutScheme(const std::string& value, const std::string& scheme) {
    if (value.size() < scheme.size()) return value;
    return LowerAscii(value.substr(0, scheme.size())) == scheme ? value.substr(scheme.size())
                                                                : value;
}

// The reader takes a leading URI scheme off phones and e-mail addresses. A stored value that
// itself begins with one is written with one more, so that it reads back as it was.
std::string KeptFromScheme(const std::string& escaped, const std::string& scheme) {
    const std::string trimmed = TrimBlanks(escaped);
    return WithoutScheme(trimmed, scheme) == trimmed ? escaped : scheme + escaped;
}

// The FN of a contact without names: what identifies it instead.
std::string StandInName(const std::string& email, const std::string& tel1, const std::string& tel2,
                        const std::string& url) {
    const std::string shown =
        JoinNonEmpty({OneLine(email), OneLine(tel1), OneLine(tel2), OneLine(url)}, " ");
    return shown.empty() ? "-" : shown;
}

std::string WriteCard(const Contact& r, const std::string& uid) {
    std::string out = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    if (!uid.empty()) out += FoldLine("UID:" + EscapeText(uid));
    out += FoldLine("N:" + Escaped(r.Surname) + ";" + Escaped(r.FirstName) + ";" +
                    Escaped(r.Patronymic) + ";;");
    // FN may not be empty; a contact without names is shown by what identifies it instead.
    // Fields are taken as a reader sees them: a name of blanks alone is no name.
    std::string shown =
        JoinNonEmpty({OneLine(r.Surname), OneLine(r.FirstName), OneLine(r.Patronymic)}, " ");
    if (shown.empty()) shown = StandInName(r.Email, r.Tel1, r.Tel2, r.URL);
    out += FoldLine("FN:" + Escaped(shown));
    if (IsBirthDate(r.Date)) out += FoldLine("BDAY:" + IsoDate(r.Date));
    if (!r.Address.empty()) out += FoldLine("ADR:;;" + Escaped(r.Address) + ";;;;");
    for (const std::string* phone : {&r.Tel1, &r.Tel2}) {
        if (!phone->empty())
            out += FoldLine("TEL;TYPE=VOICE:" + KeptFromScheme(Escaped(*phone), "tel:"));
    }
    if (!r.Email.empty())
        out += FoldLine("EMAIL;TYPE=INTERNET:" + KeptFromScheme(Escaped(r.Email), "mailto:"));
    if (!r.URL.empty()) {
        std::string url;
        for (char c : WithoutControls(Cp1251ToUtf8(r.URL))) {
            if (c == '\\') url += '\\';
            url += c;
        }
        out += FoldLine("URL:" + url);
    }
    if (!r.Note.empty()) {
        std::string joined;
        for (std::size_t i = 0; i < r.Note.size(); ++i) {
            if (i > 0) joined += '\n';
            joined += r.Note[i];
        }
        out += FoldLine("NOTE:" + Escaped(joined));
    }
    if (r.Category == kPersonalCategory)
        out += FoldLine(std::string("CATEGORIES:") + kPersonalName);
    if (r.Category == kBusinessCategory)
        out += FoldLine(std::string("CATEGORIES:") + kBusinessName);
    out += "END:VCARD\r\n";
    return out;
}

// Apple and Google escape the colon of a URI ("http\\://"), and text escapes may stand in
// one; other backslashes are the URI's own.
std::string UnescapeUri(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char next = i + 1 < value.size() ? value[i + 1] : '\0';
        if (value[i] == '\\' && (next == ':' || next == ',' || next == ';' || next == '\\')) {
            out += next;
            ++i;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string Text(const ContentLine& line) {
    return UnescapeText(DecodeValue(line));
}

// The parts of a structured value (N, ADR, ORG), unescaped; a part's comma list is joined by
// listJoin (a name's several given names by blanks; an address's lines, and vCard 2.1's
// plain commas, by ", ").
std::vector<std::string> Parts(const ContentLine& line, const std::string& listJoin) {
    std::vector<std::string> parts;
    for (const std::string& part : SplitUnescaped(DecodeValue(line), ';')) {
        std::vector<std::string> items;
        for (const std::string& item : SplitUnescaped(part, ','))
            items.push_back(TrimBlanks(UnescapeText(item)));
        parts.push_back(JoinNonEmpty(items, listJoin));
    }
    return parts;
}

std::string Part(const std::vector<std::string>& parts, std::size_t i) {
    return i < parts.size() ? parts[i] : std::string();
}

// 0 personal, 1 business, kNoCategory for a word of neither.
std::uint8_t CategoryOfWord(const std::string& utf8) {
    const std::string word = LowerCase(Utf8ToCp1251(TrimBlanks(utf8)));
    for (const char* w : kPersonalWords) {
        if (word == LowerCase(Utf8ToCp1251(w))) return kPersonalCategory;
    }
    for (const char* w : kBusinessWords) {
        if (word == LowerCase(Utf8ToCp1251(w))) return kBusinessCategory;
    }
    return kNoCategory;
}

// The fields of one card, in UTF-8, before they are stored.
struct Card {
    std::string Surname, FirstName, Patronymic, Address, Tel1, Tel2, Email, URL;
    std::string FormattedName, Organisation, Uid;
    DateTime Date = 0;
    std::vector<std::string> Note;   // the card's own notes
    std::vector<std::string> Extra;  // what had no field of its own
    std::uint8_t Category = kNoCategory;
};

void ReadBirthDay(const ContentLine& line, Card& card) {
    const std::string value = TrimBlanks(Text(line));
    BirthDay day;
    DateTime date = 0;
    if (!ParseBirthDay(value, day)) {
        card.Extra.push_back(kBirthdayLabel + value);
    } else if (day.Year == 0 || line.FirstParam("X-APPLE-OMIT-YEAR") == std::to_string(day.Year)) {
        // Apple's address book writes a birthday without a year with a stand-in year it names.
        char text[8];
        std::snprintf(text, sizeof text, "%02d.%02d", day.Day, day.Month);
        card.Extra.push_back(kBirthdayLabel + std::string(text));
    } else if (TryEncodeDate(day.Year, day.Month, day.Day, date) && date != 0) {
        card.Date = date;
    } else {
        card.Extra.push_back(kBirthdayLabel + value);
    }
}

Card ReadCard(const Component& block) {
    Card card;
    bool haveAddress = false;
    int phones = 0;
    bool haveEmail = false, haveUrl = false, haveName = false, haveBirthDay = false;
    std::string label;
    for (const ContentLine& line : block.Properties) {
        const std::string& name = line.Name;
        if (name == "N" && !haveName) {
            const auto parts = Parts(line, " ");
            card.Surname = OneLine(Part(parts, 0));
            card.FirstName = OneLine(Part(parts, 1));
            card.Patronymic = OneLine(Part(parts, 2));
            haveName = true;
        } else if (name == "FN") {
            card.FormattedName = OneLine(Text(line));
        } else if (name == "UID" && card.Uid.empty()) {
            card.Uid = TrimBlanks(Text(line));
        } else if (name == "ORG") {
            card.Organisation = JoinNonEmpty(Parts(line, ", "), ", ");
            if (!card.Organisation.empty())
                card.Extra.push_back(kOrganisationLabel + card.Organisation);
        } else if (name == "TITLE") {
            const std::string title = OneLine(Text(line));
            if (!title.empty()) card.Extra.push_back(kTitleLabel + title);
        } else if (name == "BDAY" && !haveBirthDay) {
            haveBirthDay = true;
            ReadBirthDay(line, card);
        } else if (name == "ADR") {
            const auto parts = Parts(line, ", ");
            // post office box, extended address, street, locality, region, code, country
            const std::string address = OneLine(JoinNonEmpty(parts, ", "));
            if (address.empty()) continue;
            if (!haveAddress) {
                card.Address = address;
                haveAddress = true;
            } else {
                card.Extra.push_back(kAddressLabel + address);
            }
        } else if (name == "TEL") {
            const std::string phone = OneLine(WithoutScheme(TrimBlanks(Text(line)), "tel:"));
            if (phone.empty()) continue;
            if (phones == 0) {
                card.Tel1 = phone;
            } else if (phones == 1) {
                card.Tel2 = phone;
            } else {
                card.Extra.push_back(kPhoneLabel + phone);
            }
            ++phones;
        } else if (name == "EMAIL") {
            const std::string email = OneLine(WithoutScheme(TrimBlanks(Text(line)), "mailto:"));
            if (email.empty()) continue;
            if (!haveEmail) {
                card.Email = email;
                haveEmail = true;
            } else {
                card.Extra.push_back(kEmailLabel + email);
            }
        } else if (name == "URL") {
            const std::string url = OneLine(UnescapeUri(DecodeValue(line)));
            if (url.empty()) continue;
            if (!haveUrl) {
                card.URL = url;
                haveUrl = true;
            } else {
                card.Extra.push_back(kWebLabel + url);
            }
        } else if (name == "NOTE") {
            const auto lines = SplitAtBreaks(Text(line));
            card.Note.insert(card.Note.end(), lines.begin(), lines.end());
        } else if (name == "CATEGORIES") {
            std::vector<std::string> others;
            for (const std::string& item : SplitUnescaped(DecodeValue(line), ',')) {
                const std::string word = TrimBlanks(UnescapeText(item));
                const std::uint8_t category = CategoryOfWord(word);
                if (category != kNoCategory && card.Category == kNoCategory) {
                    card.Category = category;
                } else if (!word.empty() && category == kNoCategory) {
                    others.push_back(word);
                }
            }
            if (!others.empty())
                card.Extra.push_back(kCategoriesLabel + JoinNonEmpty(others, ", "));
        } else if (name == "LABEL" && label.empty()) {
            label = OneLine(Text(line));
        }
    }
    // vCard 2.1 and 3.0: the address as printed on an envelope, used when no ADR says it.
    if (!haveAddress) card.Address = label;
    // A contact without names is written with what identifies it as FN: that is no name.
    const bool standIn =
        haveName && (card.FormattedName == "-" ||
                     card.FormattedName == StandInName(card.Email, card.Tel1, card.Tel2, card.URL));
    if (card.Surname.empty() && card.FirstName.empty() && card.Patronymic.empty() && !standIn) {
        if (!card.FormattedName.empty()) {
            card.Surname = card.FormattedName;
        } else if (!card.Organisation.empty()) {
            // The organisation is the contact's name then, not a note about it.
            card.Surname = card.Organisation;
            std::erase(card.Extra, kOrganisationLabel + card.Organisation);
        }
    }
    return card;
}

bool IsEmpty(const Contact& c) {
    return c.Surname.empty() && c.FirstName.empty() && c.Patronymic.empty() && c.Address.empty() &&
           c.Tel1.empty() && c.Tel2.empty() && c.Email.empty() && c.URL.empty() && c.Note.empty() &&
           c.Date == 0;
}

bool Digits(const std::string& text, std::size_t from, std::size_t count, int& out) {
    if (from + count > text.size()) return false;
    out = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::string WriteVCards(const AddressList& list) {
    std::string out;
    for (std::size_t i = 0; i < list.Count(); ++i) out += WriteCard(list[i], {});
    return out;
}

std::string WriteVCard(const Contact& contact, const std::string& uid) {
    return WriteCard(contact, uid);
}

bool ParseBirthDay(const std::string& raw, BirthDay& day) {
    std::string text = TrimBlanks(raw);
    const std::size_t t = text.find_first_of("Tt");
    if (t != std::string::npos) text = text.substr(0, t);
    if (text.compare(0, 2, "--") == 0) {
        std::string rest = text.substr(2);
        if (rest.size() == 5 && rest[2] == '-') rest.erase(2, 1);
        day.Year = 0;
        if (rest.size() != 4 || !Digits(rest, 0, 2, day.Month) || !Digits(rest, 2, 2, day.Day)) {
            return false;
        }
        return day.Month >= 1 && day.Month <= 12 && day.Day >= 1 &&
               day.Day <= DaysInMonth(2000, day.Month);
    }
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        text.erase(7, 1);
        text.erase(4, 1);
    }
    if (text.size() != 8 || !Digits(text, 0, 4, day.Year) || !Digits(text, 4, 2, day.Month) ||
        !Digits(text, 6, 2, day.Day)) {
        return false;
    }
    return day.Year >= 1 && day.Month >= 1 && day.Month <= 12 && day.Day >= 1 &&
           day.Day <= DaysInMonth(day.Year, day.Month);
}

ImportResult<Contact> ReadVCards(const std::string& bytes) {
    const std::string text = FileToUtf8(bytes);
    if (text.find('\0') != std::string::npos) throw FormatError("binary data, not text");
    ImportResult<Contact> result;
    std::vector<ImportNote> notes;
    // No card at all is an empty address book, as the export of one writes it.
    const std::vector<Component> blocks = ReadComponents(text, notes);
    for (ImportNote& note : notes) {
        (note.Lines > 0 ? result.Warnings : result.Skipped).push_back(std::move(note));
    }
    std::size_t& lost = result.Replaced;
    for (const Component& block : blocks) {
        if (block.Name != "VCARD") {
            result.Skipped.push_back(
                Coded({block.LineNumber, "BEGIN:" + Quoted(block.Name) + " is not a contact"},
                      ImportReason::NotAContact, Quoted(block.Name)));
            continue;
        }
        const Card card = ReadCard(block);
        std::size_t replaced = 0;
        StrList note;
        for (const std::string& line : card.Note) note.push_back(ToStored(line, replaced));
        for (const std::string& line : card.Extra) note.push_back(ToStored(line, replaced));
        Contact record(ToStored(card.Surname, replaced), ToStored(card.FirstName, replaced),
                       ToStored(card.Patronymic, replaced), card.Date,
                       ToStored(card.Address, replaced), ToStored(card.Tel1, replaced),
                       ToStored(card.Tel2, replaced), ToStored(card.Email, replaced),
                       ToStored(card.URL, replaced), std::move(note), card.Category);
        // Judged by what is stored: a field of control characters and blanks holds nothing.
        for (std::string* field :
             {&record.Surname, &record.FirstName, &record.Patronymic, &record.Address, &record.Tel1,
              &record.Tel2, &record.Email, &record.URL}) {
            *field = TrimBlanks(*field);
        }
        if (IsEmpty(record)) {
            result.Skipped.push_back(
                Coded({block.LineNumber, "a card without a name or any other field"},
                      ImportReason::EmptyContact));
            continue;
        }
        lost += replaced;
        result.Records.push_back(std::move(record));
        result.Uids.push_back(card.Uid);
    }
    return result;
}

}  // namespace pomix::dataio
