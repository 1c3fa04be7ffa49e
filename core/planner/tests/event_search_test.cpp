#include "core/planner/event_search.h"

#include <gtest/gtest.h>

#include "core/planner/tests/planner_test_support.h"
#include "storage/locale.h"

namespace pomix {
namespace {

using testing::Day;
using testing::FrozenClockAndReports;
using testing::MakeEvent;
using testing::Texts;
using testing::W;

using Lines = std::vector<std::string>;

class EventSearch : public ::testing::Test {
protected:
    void SetUp() override {
        SetLocale(std::make_unique<FixedLocale>());
        list.Append(MakeEvent("Meeting", Day(2025, 3, 1), EncodeTime(0, 0), 0, 0, {"room 5"}));
        list.Append(MakeEvent("Team meeting", Day(2025, 3, 1), EncodeTime(23, 59)));
        list.Append(MakeEvent(W("Встреча"), Day(2024, 3, 1), EncodeTime(9, 30), 0, 0,
                              {"", W("взять ключи")}));
        list.Append(MakeEvent("late", Day(2025, 3, 2), EncodeTime(0, 0)));
        list.Append(MakeEvent("early", Day(2025, 2, 28), EncodeTime(23, 59)));
    }

    Lines Search(const std::string& pattern, SearchField field) {
        std::vector<EventLine> results;
        EXPECT_TRUE(Found(list, pattern, field, results));
        return Texts(results);
    }

    FrozenClockAndReports frozen{Day(2025, 3, 1)};
    EventList list;
};

TEST_F(EventSearch, SpanListsItsDaysInListOrder) {
    EXPECT_EQ(Texts(SpanLines(list, Day(2025, 3, 1), Day(2025, 3, 1))),
              (Lines{"01.03.2025;00:00;Meeting", "01.03.2025;23:59;Team meeting"}));
    EXPECT_EQ(SpanLines(list, Day(2024, 1, 1), Day(2025, 12, 31)).size(), 5u);
    EXPECT_TRUE(SpanLines(list, Day(2025, 3, 2), Day(2025, 3, 1)).empty());
    const std::vector<EventLine> lines = SpanLines(list, Day(2025, 3, 2), Day(2025, 3, 2));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(list.Find(lines[0].Event)->Name, "late");
}

TEST_F(EventSearch, EachFieldMatchesItsWholeText) {
    EXPECT_EQ(Search("meeting", SearchField::Name), (Lines{"01.03.2025 00:00;Meeting"}));
    EXPECT_EQ(Search("*MEETING*", SearchField::Name),
              (Lines{"01.03.2025 00:00;Meeting", "01.03.2025 23:59;Team meeting"}));
    EXPECT_EQ(Search(W("встреча"), SearchField::Name), (Lines{"01.03.2024 09:30;" + W("Встреча")}));
    EXPECT_EQ(Search("01.03.*", SearchField::Date),
              (Lines{"01.03.2025 00:00;Meeting", "01.03.2025 23:59;Team meeting",
                     "01.03.2024 09:30;" + W("Встреча")}));
    EXPECT_EQ(Search("23:??", SearchField::Time),
              (Lines{"01.03.2025 23:59;Team meeting", "28.02.2025 23:59;early"}));
    EXPECT_EQ(Search(W("*КЛЮЧИ"), SearchField::Memo), (Lines{"01.03.2024 09:30;" + W("Встреча")}));
    EXPECT_TRUE(Search("room", SearchField::Memo).empty());  // the whole line must match
    EXPECT_TRUE(Search("Meeting", SearchField::Memo).empty());
}

TEST_F(EventSearch, EverywhereTriesAllFieldsAndPutsTwoBlanks) {
    EXPECT_EQ(Search("*5", SearchField::Everywhere),  // a date, or the description "room 5"
              (Lines{"01.03.2025  00:00;Meeting", "01.03.2025  23:59;Team meeting",
                     "02.03.2025  00:00;late", "28.02.2025  23:59;early"}));
    EXPECT_EQ(Search("09:30", SearchField::Everywhere), (Lines{"01.03.2024  09:30;" + W("Встреча")}));
    EXPECT_EQ(Search("room 5", SearchField::Everywhere), (Lines{"01.03.2025  00:00;Meeting"}));
    EXPECT_TRUE(frozen.reports.empty());
}

TEST_F(EventSearch, AnEmptyPatternKeepsThePreviousResults) {
    std::vector<EventLine> results;
    ASSERT_TRUE(Found(list, "late", SearchField::Name, results));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(Found(list, "", SearchField::Everywhere, results));
    EXPECT_EQ(results.size(), 1u);
    EXPECT_TRUE(Found(list, "nothing", SearchField::Name, results));
    EXPECT_TRUE(results.empty());
}

TEST_F(EventSearch, AResultOfADeletedEventReachesNothing) {
    std::vector<EventLine> results;
    Found(list, "*meeting", SearchField::Name, results);
    ASSERT_EQ(results.size(), 2u);
    ASSERT_TRUE(list.Delete(results[0].Event));
    EXPECT_EQ(list.Find(results[0].Event), nullptr);
    ASSERT_NE(list.Find(results[1].Event), nullptr);  // the other result still reaches its event
    EXPECT_EQ(list.Find(results[1].Event)->Name, "Team meeting");
}

}  // namespace
}  // namespace pomix
