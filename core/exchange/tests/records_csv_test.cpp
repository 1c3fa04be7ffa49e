// Events and contacts through CSV: what the program writes comes back the same, and the CSV
// files Outlook and Google write come in by their column names.
#include "core/exchange/records_csv.h"

#include <gtest/gtest.h>

#include "core/exchange/content_line.h"
#include "core/exchange/csv.h"
#include "storage/cp1251.h"
#include "storage/dates.h"

namespace pomix::dataio {
namespace {

DateTime Day(int year, int month, int day) {
    DateTime value = 0;
    EXPECT_TRUE(TryEncodeDate(year, month, day, value));
    return value;
}

std::string Cp(const char* utf8) {
    return Utf8ToCp1251(utf8);
}

TEST(CsvRead, QuotesSeparatorsAndLineEnds) {
    const struct {
        const char* text;
        std::vector<std::vector<std::string>> rows;
        std::vector<std::size_t> lines;
    } cases[] = {
        {"a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"a;b\n\"x;y\";\"say \"\"hi\"\"\"\n", {{"a", "b"}, {"x;y", "say \"hi\""}}, {1, 2}},
        {"a\tb\r1\t2", {{"a", "b"}, {"1", "2"}}, {1, 2}},
        // A line break inside quotes is the field's; the next record's line counts it.
        {"a,b\r\n\"two\r\nlines\",c\r\n\r\nd,\r\n",
         {{"a", "b"}, {"two\nlines", "c"}, {"d", ""}},
         {1, 2, 5}},
        // A quote inside an unquoted field is a character; text after a closing quote stays.
        {"5\" disk,\"x\"y\n", {{"5\" disk", "xy"}}, {1}},
    };
    for (const auto& c : cases) {
        const CsvText csv = ReadCsv(c.text);
        ASSERT_EQ(csv.Rows.size(), c.rows.size()) << c.text;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(csv.Rows[i].Fields, c.rows[i]) << c.text;
            EXPECT_EQ(csv.Rows[i].Line, c.lines[i]) << c.text;
        }
        EXPECT_EQ(csv.UnclosedQuote, 0u);
    }
    EXPECT_EQ(ReadCsv("a\n1\n\"open,\n2\n").UnclosedQuote, 3u);
}

TEST(RecordsCsv, WhatIsWrittenComesBackTheSame) {
    EventList events;
    events.Append(Event(Cp("Встреча, \"важная\""), {Cp("строка 1"), Cp("строка 2")},
                        Day(2026, 12, 8), EncodeTime(19, 40), 1, 1, 0));
    events.Append(Event("Done", {}, Day(1900, 1, 1), 0, 1, 0, 1));
    const auto back = ReadEventsCsv(WriteEventsCsv(events));
    ASSERT_EQ(back.Records.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const Event& a = events[i];
        const Event& b = back.Records[i];
        EXPECT_EQ(b.Name, a.Name);
        EXPECT_EQ(b.Memo, a.Memo);
        EXPECT_EQ(b.Date, a.Date);
        EXPECT_NEAR(b.Time, a.Time, 1e-9);
        EXPECT_EQ(b.Remind, a.Remind);
        EXPECT_EQ(b.Done, a.Done);
    }
    EXPECT_TRUE(back.Skipped.empty() && back.Simplified.empty() && back.Warnings.empty());

    AddressList contacts;
    contacts.Add(Contact(Cp("Иванов"), Cp("Пётр"), Cp("Сергеевич"), Day(1985, 3, 8),
                         Cp("ул. Ленина, 1"), "+7 900", "+7 495", "p@example.ru",
                         "https://example.ru", {Cp("друг"), Cp("сосед")}, kBusinessCategory));
    contacts.Add(Contact("", "", "", 0, "", "", "", "only@example.org", "", {}, kNoCategory));
    const auto people = ReadContactsCsv(WriteContactsCsv(contacts));
    ASSERT_EQ(people.Records.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const Contact& a = contacts[i];
        const Contact& b = people.Records[i];
        EXPECT_EQ(std::tie(b.Surname, b.FirstName, b.Patronymic, b.Address, b.Tel1, b.Tel2, b.Email,
                           b.URL, b.Note, b.Category),
                  std::tie(a.Surname, a.FirstName, a.Patronymic, a.Address, a.Tel1, a.Tel2, a.Email,
                           a.URL, a.Note, a.Category));
        EXPECT_EQ(b.Date, a.Date);
    }
}

TEST(RecordsCsv, OutlookAndGoogleFilesComeInByTheirColumns) {
    // Outlook's calendar export (American dates, AM/PM, a line break in the description).
    const auto events = ReadEventsCsv(
        "\"Subject\",\"Start Date\",\"Start Time\",\"End Date\",\"All day event\","
        "\"Reminder on/off\",\"Description\",\"Location\",\"Private\"\r\n"
        "\"Планёрка\",\"12/8/2026\",\"7:30:00 PM\",\"12/8/2026\",\"False\",\"True\","
        "\"план\r\nна неделю\",\"Зал 2\",\"False\"\r\n"
        "\"Отпуск\",\"12/10/2026\",\"9:00:00 AM\",\"\",\"True\",\"False\",\"\",\"\",\"False\"\r\n"
        "\"Сломано\",\"13/45/2026\",\"\",\"\",\"False\",\"False\",\"\",\"\",\"False\"\r\n"
        "\"Без даты\",\"\",\"\",\"\",\"False\",\"False\",\"\",\"\",\"False\"\r\n");
    ASSERT_EQ(events.Records.size(), 2u);
    EXPECT_EQ(events.Records[0].Name, Cp("Планёрка"));
    EXPECT_EQ(events.Records[0].Date, Day(2026, 12, 8));
    EXPECT_NEAR(events.Records[0].Time, EncodeTime(19, 30), 1e-9);
    EXPECT_EQ(events.Records[0].Remind, 1);
    EXPECT_EQ(events.Records[0].Memo,
              (StrList{Cp("план"), Cp("на неделю"), Cp("Location: Зал 2")}));
    EXPECT_EQ(events.Records[1].Time, 0);  // all day
    ASSERT_EQ(events.Skipped.size(), 2u);
    EXPECT_EQ(events.Skipped[0].Line, 5u);
    EXPECT_EQ(events.Skipped[1].Line, 6u);

    // Google's contacts (UTF-8 with a byte-order mark, a postal address on two lines, a
    // third phone) and Outlook's (windows-1251, as written on a Russian system).
    const auto google = ReadContactsCsv(
        "\xef\xbb\xbfName,Given Name,Family Name,Birthday,Notes,Group Membership,"
        "E-mail 1 - Value,Phone 1 - Value,Phone 2 - Value,Phone 3 - Value,Address 1 - Formatted\n"
        "Anna Berg,Anna,Berg,1990-05-17,\"Met at \"\"Expo\"\"\",* myContacts,anna@example.de,"
        "+49 1,+49 2,+49 3,\"Hauptstr. 5\n10115 Berlin\"\n"
        ",,,,,* myContacts,,,,,\n"
        ",,\x17 \t\x19,,,* myContacts,,,,,\n");
    ASSERT_EQ(google.Records.size(), 1u);
    const Contact& anna = google.Records[0];
    EXPECT_EQ(anna.Surname + "|" + anna.FirstName + "|" + anna.Tel1 + "|" + anna.Tel2 + "|" +
                  anna.Email + "|" + anna.Address,
              "Berg|Anna|+49 1|+49 2|anna@example.de|Hauptstr. 5, 10115 Berlin");
    EXPECT_EQ(anna.Date, Day(1990, 5, 17));
    EXPECT_EQ(anna.Note, (StrList{"Met at \"Expo\"", "Phone 3 - Value: +49 3"}));
    // The empty line, and one whose only name is blanks around control characters: kept, it
    // would be written back as blanks that no longer read as a contact.
    ASSERT_EQ(google.Skipped.size(), 2u);
    EXPECT_EQ(google.Skipped[0].Line, 4u);
    EXPECT_EQ(google.Skipped[1].Line, 5u);

    const auto outlook = ReadContactsCsv(
        Cp("First Name,Middle Name,Last Name,E-mail Address,Mobile Phone,Company,Birthday\r\n"
           "Пётр,Сергеевич,Иванов,p@example.ru,+7 900,ООО Ромашка,3/8/1985\r\n"));
    ASSERT_EQ(outlook.Records.size(), 1u);
    const Contact& petr = outlook.Records[0];
    EXPECT_EQ(petr.Surname + petr.FirstName + petr.Patronymic, Cp("ИвановПётрСергеевич"));
    EXPECT_EQ(petr.Date, Day(1985, 3, 8));
    EXPECT_EQ(petr.Note, StrList{Cp("Company: ООО Ромашка")});

    EXPECT_THROW(ReadEventsCsv("Subject,Place\nx,y\n"), FormatError);
    EXPECT_THROW(ReadContactsCsv("Colour,Size\nred,2\n"), FormatError);
    EXPECT_TRUE(ReadContactsCsv("").Records.empty());
}

}  // namespace
}  // namespace pomix::dataio
