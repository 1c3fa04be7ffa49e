#include "core/model/section_model.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/addressbook/address_book.h"
#include "core/planner/planner.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

class SectionModels : public ::testing::Test {
protected:
    testing::ScratchDir dir_;
    StreamContainer container_;
};

TEST_F(SectionModels, AWriteIsTakenOnceAndAFailedOneWaitsForTheNextChange) {
    Planner planner(container_, dir_.File("Calendar.dat"));
    EXPECT_EQ(planner.TakeWrite(), nullptr) << "nothing changed";
    planner.AddEvent({"Йога", {}, 46000, 0.75, true, false});

    planner.SetLoaded(false);
    EXPECT_EQ(planner.TakeWrite(), nullptr) << "records not in yet";
    planner.SetLoaded(true);

    auto image = planner.TakeWrite();
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(planner.Saving());
    EXPECT_FALSE(planner.Modified());
    planner.MarkChanged();
    EXPECT_EQ(planner.TakeWrite(), nullptr) << "a write is still out";

    planner.Written(*image, false);
    EXPECT_TRUE(planner.SaveFailed());
    EXPECT_FALSE(planner.Saving());
    image = planner.TakeWrite();
    ASSERT_NE(image, nullptr) << "the change made meanwhile";
    image->Write();
    planner.Written(*image, true);
    EXPECT_FALSE(planner.SaveFailed());

    Planner again(container_, dir_.File("Calendar.dat"));
    bool told = false;
    again.Listen([&told](SectionModel::Change change) { told = change == SectionModel::Change::Loaded; });
    again.LoadNow();
    EXPECT_TRUE(told);
    ASSERT_EQ(again.Events.Count(), 1u);
    EXPECT_EQ(again.Events.begin()->Name, "Йога");
}

TEST_F(SectionModels, ReplacingTheRecordsTellsTheViewsAndMarksTheChange) {
    Planner planner(container_, dir_.File("Calendar.dat"));
    AddressBook book(container_, dir_.File("Address.dat"));
    std::vector<std::string> heard;
    const int plannerView = planner.Listen([&](SectionModel::Change change) {
        heard.push_back(change == SectionModel::Change::Replaced ? "events" : "loaded");
    });
    book.Listen([&](SectionModel::Change) { heard.push_back("contacts"); });

    EventList events;
    events.Append(Event("Встреча", {}, 46001, 0.5, 1, 0, 0));
    planner.ReplaceEvents(events);
    AddressList contacts;
    contacts.Add(Contact("Иванов", "Иван", "Иванович", 20000, "", "", "", "", "", {}, 0));
    book.ReplaceContacts(contacts);
    planner.StopListening(plannerView);
    planner.ReplaceEvents(events);

    EXPECT_EQ(heard, (std::vector<std::string>{"events", "contacts"}));
    EXPECT_TRUE(planner.Modified());
    EXPECT_TRUE(book.Modified());
    ASSERT_EQ(book.Contacts.Count(), 1u);
    EXPECT_EQ(book.Contacts[0].Surname, "Иванов");
}

TEST_F(SectionModels, AWriteEndingAfterItsModelIsGoneReachesNothing) {
    auto book = std::make_unique<AddressBook>(container_, dir_.File("Address.dat"));
    book->MarkChanged();
    auto image = book->TakeWrite();
    ASSERT_NE(image, nullptr);
    const auto life = book->Life();
    EXPECT_FALSE(life.expired());
    book.reset();
    EXPECT_TRUE(life.expired());
}

}  // namespace
}  // namespace pomix
