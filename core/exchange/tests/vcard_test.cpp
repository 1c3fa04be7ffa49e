#include "core/exchange/vcard.h"

#include <gtest/gtest.h>

#include "core/exchange/content_line.h"
#include "storage/cp1251.h"

namespace pomix::dataio {
namespace {

std::string Cp(const std::string& utf8) {
    return Utf8ToCp1251(utf8);
}

DateTime Day(int y, int m, int d) {
    DateTime value = 0;
    TryEncodeDate(y, m, d, value);
    return value;
}

Contact MakeContact(const std::string& surname, DateTime date, std::uint8_t category,
                    StrList note) {
    return Contact(Cp(surname), Cp("Иван"), Cp("Сергеевич"), date, Cp("ул. Ленина, д. 5; кв. 7"),
                   "+7 900 111-22-33", "8 (495) 000-00-00", "ivan@example.ru",
                   "https://example.ru/a,b;c", std::move(note), category);
}

void ExpectSame(const Contact& a, const Contact& b) {
    EXPECT_EQ(a.Surname, b.Surname);
    EXPECT_EQ(a.FirstName, b.FirstName);
    EXPECT_EQ(a.Patronymic, b.Patronymic);
    EXPECT_EQ(a.Date, b.Date);
    EXPECT_EQ(a.Address, b.Address);
    EXPECT_EQ(a.Tel1, b.Tel1);
    EXPECT_EQ(a.Tel2, b.Tel2);
    EXPECT_EQ(a.Email, b.Email);
    EXPECT_EQ(a.URL, b.URL);
    EXPECT_EQ(a.Note, b.Note);
    EXPECT_EQ(a.Category, b.Category);
}

TEST(VCardRoundTrip, ContactsComeBackFieldByField) {
    AddressList list;
    list.Add(MakeContact("Петров", Day(1985, 3, 8), kBusinessCategory,
                         {Cp("строка с \\ и , и ;"), "", Cp("последняя")}));
    list.Add(MakeContact("Сидорова-Длинная-Фамилия-Которая-Не-Влезает-В-Одну-Строку-Файла",
                         Day(2000, 2, 29), kPersonalCategory, {}));
    list.Add(MakeContact("Ёлкин", 0, kNoCategory, {""}));
    const std::string text = WriteVCards(list);
    const auto result = ReadVCards(text);
    ASSERT_EQ(result.Records.size(), list.Count());
    EXPECT_TRUE(result.Skipped.empty());
    EXPECT_EQ(result.Replaced, 0u);
    for (std::size_t i = 0; i < list.Count(); ++i) ExpectSame(result.Records[i], list[i]);
}

TEST(VCardRoundTrip, WhatTheFormatCannotHoldIsDropped) {
    AddressList list;
    // No birth date (day 0, or no date at all) writes no BDAY and reads back as day 0.
    list.Add(Contact("A", "", "", 1e300, "", "", "", "", "", {}, 7));
    // A second phone alone comes back as the first.
    list.Add(Contact("B", "", "", 0, "", "", "222", "", "", {}, kNoCategory));
    const std::string text = WriteVCards(list);
    EXPECT_EQ(text.find("BDAY"), std::string::npos);
    EXPECT_EQ(text.find("CATEGORIES"), std::string::npos);
    const auto result = ReadVCards(text);
    ASSERT_EQ(result.Records.size(), 2u);
    EXPECT_EQ(result.Records[0].Date, 0);
    EXPECT_EQ(result.Records[0].Category, kNoCategory);
    EXPECT_EQ(result.Records[1].Tel1, "222");
    EXPECT_EQ(result.Records[1].Tel2, "");
}

// A contact without names (or with names of blanks alone) is written with its e-mail as FN
// and reads back as a contact without names, however often it goes round.
TEST(VCardRoundTrip, AContactWithoutANameStaysWithoutOne) {
    AddressList list;
    list.Add(Contact("", "", "\t\t ", 0, "", "", "", "o.k@example.ru", "", {}, kNoCategory));
    list.Add(Contact("", "", "", 0, "", "", "", "", "", {"only a note"}, kNoCategory));
    for (int round = 0; round < 2; ++round) {
        const auto back = ReadVCards(WriteVCards(list));
        ASSERT_EQ(back.Records.size(), 2u);
        EXPECT_EQ(back.Records[0].Surname + back.Records[0].Patronymic, "");
        EXPECT_EQ(back.Records[0].Email, "o.k@example.ru");
        ExpectSame(back.Records[1], list[1]);
        list = AddressList();
        for (const Contact& r : back.Records) list.Add(r);
    }
}

// The reader takes "tel:" and "mailto:" off the front; values that begin with them themselves
// must still come back whole.
TEST(VCardRoundTrip, PhonesAndAddressesThatBeginWithTheirSchemeComeBackWhole) {
    AddressList list;
    list.Add(Contact("Scheme", "", "", 0, "", "tel:+7 495", "TEL:tel:1", "mailto:a@b.ru", "", {},
                     kNoCategory));
    const auto once = ReadVCards(WriteVCards(list));
    ASSERT_EQ(once.Records.size(), 1u);
    EXPECT_EQ(once.Records[0].Tel1, "tel:+7 495");
    EXPECT_EQ(once.Records[0].Tel2, "TEL:tel:1");
    EXPECT_EQ(once.Records[0].Email, "mailto:a@b.ru");
    // Found by fuzzing: control bytes dropped on reading uncovered a scheme, once per round.
    const auto read =
        ReadVCards("BEGIN:VCARD\r\nN:Name;;;;\r\nTEL:te\x02l:tel:+8\r\nEND:VCARD\r\n");
    ASSERT_EQ(read.Records.size(), 1u);
    AddressList again;
    again.Add(read.Records[0]);
    const auto twice = ReadVCards(WriteVCards(again));
    ASSERT_EQ(twice.Records.size(), 1u);
    ExpectSame(twice.Records[0], read.Records[0]);
}

TEST(VCardWrite, VersionThreeWithTheRequiredProperties) {
    AddressList list;
    list.Add(Contact("", "", "", 0, "", "", "", "", "", {}, kNoCategory));
    const std::string text = WriteVCards(list);
    EXPECT_EQ(text.rfind("BEGIN:VCARD\r\nVERSION:3.0\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nN:;;;;\r\n"), std::string::npos);
    // FN may not be empty even for a contact without names.
    const auto blocks = ReadComponents(text);
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_NE(blocks[0].Find("FN"), nullptr);
    EXPECT_FALSE(blocks[0].Find("FN")->Value.empty());
}

TEST(VCardRead, VersionTwoOneFromAPhone) {
    // Quoted-printable UTF-8 with a soft break, windows-1251 bytes, bare parameters.
    const std::string text =
        "BEGIN:VCARD\r\nVERSION:2.1\r\n"
        "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=98=D0=B2=D0=B0=D0=BD=D0=BE=D0=B2;=D0=9F=D1="
        "91=\r\n"
        "=D1=82=D1=80;;;\r\n"
        "TEL;CELL;PREF:+79001234567\r\n"
        "TEL;HOME:84951234567\r\n"
        "TEL;WORK:84957654321\r\n"
        "ADR;HOME;CHARSET=windows-1251:;;" +
        Cp("Тверская, 1") + ";" + Cp("Москва") +
        ";;;\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:=D0=B4=D1=80=D1=83=D0=B3=0D=0A=D1=81=D0=BE=D1=81=D0=B5=D0="
        "B4\r\n"
        "BDAY:19850308\r\n"
        "END:VCARD\r\n";
    const auto result = ReadVCards(text);
    ASSERT_EQ(result.Records.size(), 1u);
    const Contact& r = result.Records[0];
    EXPECT_EQ(r.Surname, Cp("Иванов"));
    EXPECT_EQ(r.FirstName, Cp("Пётр"));
    EXPECT_EQ(r.Tel1, "+79001234567");
    EXPECT_EQ(r.Tel2, "84951234567");
    EXPECT_EQ(r.Address, Cp("Тверская, 1, Москва"));
    EXPECT_EQ(r.Date, Day(1985, 3, 8));
    EXPECT_EQ(r.Note, (StrList{Cp("друг"), Cp("сосед"), Cp("Телефон: 84957654321")}));
}

TEST(VCardRead, VersionFourWithUrisAndABirthdayWithoutAYear) {
    const std::string text =
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Anna Smith\r\nN:Smith;Anna;Maria,Louise;Dr.;\r\n"
        "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:+1-555-0100\r\n"
        "EMAIL;PREF=1:anna@example.com\r\nEMAIL:anna@work.example.com\r\n"
        "EMAIL:third@example.com\r\nBDAY:--0308\r\nURL:https://a.example/x\\y\r\n"
        "CATEGORIES:Friends,personal\r\nORG:Acme;Sales\r\nEND:VCARD\r\n";
    const auto result = ReadVCards(text);
    ASSERT_EQ(result.Records.size(), 1u);
    const Contact& r = result.Records[0];
    EXPECT_EQ(r.Surname, "Smith");
    EXPECT_EQ(r.FirstName, "Anna");
    EXPECT_EQ(r.Patronymic, "Maria Louise");
    EXPECT_EQ(r.Tel1, "+1-555-0100");
    EXPECT_EQ(r.Email, "anna@example.com");
    EXPECT_EQ(r.URL, "https://a.example/x\\y");
    EXPECT_EQ(r.Date, 0);
    EXPECT_EQ(r.Category, kPersonalCategory);
    EXPECT_EQ(r.Note, (StrList{Cp("E-mail: anna@work.example.com"), Cp("E-mail: third@example.com"),
                               Cp("День рождения: 08.03"), Cp("Категории: Friends"),
                               Cp("Организация: Acme, Sales")}));
}

TEST(VCardRead, NamesAndAddressesFromWhatTheCardHas) {
    const auto result = ReadVCards(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Just A Name\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nORG:Plumbing Ltd\r\nTEL:123\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:A\r\nLABEL:1 Main St\r\nADR:;;2 Side St;;;;\r\n"
        "END:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:B\r\nLABEL;ENCODING=QUOTED-PRINTABLE:3 Main "
        "St=0D=0ATown\r\n"
        "END:VCARD\r\n");
    ASSERT_EQ(result.Records.size(), 4u);
    EXPECT_EQ(result.Records[0].Surname, "Just A Name");
    EXPECT_EQ(result.Records[1].Surname, "Plumbing Ltd");
    EXPECT_TRUE(result.Records[1].Note.empty());
    // An envelope label stands in only for a missing ADR, wherever it comes in the card.
    EXPECT_EQ(result.Records[2].Address, "2 Side St");
    EXPECT_EQ(result.Records[3].Address, "3 Main St Town");
}

TEST(VCardRead, SkippedBlocksAndLostCharactersAreCounted) {
    const auto result = ReadVCards(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\nFN:\r\nEND:VCARD\r\n"  // nothing in it
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n"           // not a contact
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Wang;李;;;\r\nNOTE:why?😀\r\nEND:VCARD\r\n");
    ASSERT_EQ(result.Records.size(), 1u);
    ASSERT_EQ(result.Skipped.size(), 2u);
    EXPECT_EQ(result.Skipped[0].Line, 1u);
    EXPECT_EQ(result.Skipped[1].Line, 6u);
    EXPECT_EQ(result.Records[0].FirstName, "?");
    EXPECT_EQ(result.Records[0].Note, StrList{"why??"});
    EXPECT_EQ(result.Replaced, 2u);  // the "?" that was in the text is not counted
}

TEST(VCardRead, BirthDayForms) {
    struct Case {
        const char* text;
        bool ok;
        int year, month, day;
    } cases[] = {
        {"19850308", true, 1985, 3, 8},
        {"1985-03-08", true, 1985, 3, 8},
        {"1985-03-08T00:00:00Z", true, 1985, 3, 8},
        {"--0308", true, 0, 3, 8},
        {"--03-08", true, 0, 3, 8},
        {"--0229", true, 0, 2, 29},
        {"19850230", false, 0, 0, 0},
        {"1985", false, 0, 0, 0},
        {"--1301", false, 0, 0, 0},
        {"March 8", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        BirthDay day;
        EXPECT_EQ(ParseBirthDay(c.text, day), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(day.Year, c.year) << c.text;
            EXPECT_EQ(day.Month, c.month) << c.text;
            EXPECT_EQ(day.Day, c.day) << c.text;
        }
    }
    // A stand-in year that the file itself names is no year.
    const auto apple = ReadVCards(
        "BEGIN:VCARD\r\nN:X\r\nBDAY;X-APPLE-OMIT-YEAR=1604;VALUE=date:1604-03-08\r\nEND:VCARD\r\n");
    ASSERT_EQ(apple.Records.size(), 1u);
    EXPECT_EQ(apple.Records[0].Date, 0);
    EXPECT_EQ(apple.Records[0].Note, StrList{Cp("День рождения: 08.03")});
    // An unreadable birthday is kept as text.
    const auto result = ReadVCards("BEGIN:VCARD\r\nN:X\r\nBDAY:March 8\r\nEND:VCARD\r\n");
    ASSERT_EQ(result.Records.size(), 1u);
    EXPECT_EQ(result.Records[0].Note, StrList{Cp("День рождения: March 8")});
}

TEST(VCardControls, ControlCharactersNeitherComeInNorGoOut) {
    // A decoded value may hold NUL and other controls; they are no text.
    const auto result = ReadVCards(
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE:A=00B=07;C\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:x=0D=0Ay=1Bz\r\nEND:VCARD\r\n");
    ASSERT_EQ(result.Records.size(), 1u);
    EXPECT_EQ(result.Records[0].Surname, "AB");
    EXPECT_EQ(result.Records[0].Note, (StrList{"x", "yz"}));
    // Stored bytes may be anything; the file written from them still reads.
    AddressList list;
    list.Add(Contact(std::string("N\0u\x01l", 5), "", "", 0, "a\rb", "", "", "", "u\x7Fr", {"\x1b"},
                     kNoCategory));
    const auto back = ReadVCards(WriteVCards(list));
    ASSERT_EQ(back.Records.size(), 1u);
    EXPECT_EQ(back.Records[0].Surname, "Nul");
    EXPECT_EQ(back.Records[0].Address, "ab");
    EXPECT_EQ(back.Records[0].URL, "ur");
}

TEST(VCardRead, AnEmptyAddressBookRoundTripsAndBinaryDataIsRefused) {
    const auto empty = ReadVCards(WriteVCards(AddressList()));
    EXPECT_TRUE(empty.Records.empty());
    EXPECT_TRUE(empty.Skipped.empty());
    EXPECT_TRUE(ReadVCards("\r\n\r\n").Records.empty());
    EXPECT_THROW(ReadVCards(std::string("BEGIN:VCARD\r\nN:\0\x01\x02\x03\x04\x05\r\n", 22)),
                 FormatError);
}

std::string Utf16(const std::u16string& text, bool bigEndian, bool mark) {
    std::string out = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (char16_t c : text) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

// Each case: one card as a producer writes it, and the surname and web address it gives.
TEST(VCardRead, ProducersCharsetsEscapesAndLineEnds) {
    const std::u16string windows = u"BEGIN:VCARD\r\nVERSION:2.1\r\nN:Петров;Иван\r\nEND:VCARD\r\n";
    const struct {
        const char* what;
        std::string text;
        std::string surname, url;
    } cases[] = {
        {"iPhone: CR CR LF line ends with folded lines",
         "BEGIN:VCARD\r\r\nVERSION:3.0\r\r\nN:Ива\r\r\n нов;Пётр\r\r\nURL:https://ex\r\r\n"
         " ample.com/\r\r\nEND:VCARD\r\r\n",
         "Иванов", "https://example.com/"},
        {"Apple and Gmail: escaped colons and commas in a URI",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:A\\,B;;\r\nitem1.URL:http\\://www.example.com/a\\,b\r\n"
         "END:VCARD\r\n",
         "A,B", "http://www.example.com/a,b"},
        {"windows-1252 in quoted-printable",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=windows-1252;ENCODING=QUOTED-PRINTABLE:M="
         "FCller\r\n"
         "END:VCARD\r\n",
         "M?ller", ""},  // ü is not in code page 1251: "?", not "ь"
        {"KOI8-R",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=KOI8-R:\xe9\xd7\xc1\xce\xcf\xd7\r\nEND:VCARD\r\n",
         "Иванов", ""},
        {"windows-1251 without a charset",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:" + Cp("Сидоров") + "\r\nEND:VCARD\r\n", "Сидоров", ""},
        {"Windows \"Unicode\" export: UTF-16 with a byte-order mark", Utf16(windows, false, true),
         "Петров", ""},
        {"UTF-16 big-endian without a byte-order mark", Utf16(windows, true, false), "Петров", ""},
    };
    for (const auto& c : cases) {
        const auto result = ReadVCards(c.text);
        ASSERT_EQ(result.Records.size(), 1u) << c.what;
        EXPECT_EQ(Cp1251ToUtf8(result.Records[0].Surname), c.surname) << c.what;
        EXPECT_EQ(result.Records[0].URL, c.url) << c.what;
    }
}

// A card that cannot be read is skipped and named by its line; an overlong line (a photo of
// megabytes) is left out of its card; every other card comes in.
TEST(VCardRead, WhatCannotBeReadIsLeftOutAndTheRestComesIn) {
    const std::string text =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:First\r\n"  // 1-3
        "PHOTO;ENCODING=b:" +
        std::string(kMaxLineBytes + 10, 'A') +
        "\r\nEND:VCARD\r\n"                                    // 4-5
        "BEGIN:VCARD\r\nN:Broken\r\n"                          // 6-7
        "BEGIN:VCARD\r\nN:Third\r\nTEL;HOME\r\nEND:VCARD\r\n"  // 8-11
        "<p>\r\n";                                             // 12
    const auto result = ReadVCards(text);
    std::vector<std::string> names;
    for (const Contact& r : result.Records) names.push_back(r.Surname);
    EXPECT_EQ(names, (std::vector<std::string>{"First", "Third"}));
    std::vector<std::size_t> skipped, leftOut;
    for (const ImportNote& n : result.Skipped) skipped.push_back(n.Line);
    for (const ImportNote& n : result.Warnings) leftOut.push_back(n.Line);
    EXPECT_EQ(skipped, std::vector<std::size_t>{6});
    EXPECT_EQ(leftOut, (std::vector<std::size_t>{4, 10, 12}));
    EXPECT_EQ(result.LinesLeftOut(), 3u);
}

}  // namespace
}  // namespace pomix::dataio
