#include "core/exchange/csv.h"

#include <gtest/gtest.h>

namespace pomix::dataio {
namespace {

TEST(Csv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"with blank", "with blank"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {"Привет", "Привет"},
    };
    for (const auto& c : cases) EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

TEST(Csv, RecordsEndInCrLf) {
    EXPECT_EQ(CsvRecord({"a", "b,c", ""}), "a,\"b,c\",\r\n");
    EXPECT_EQ(CsvRecord({}), "\r\n");
}

}  // namespace
}  // namespace pomix::dataio
