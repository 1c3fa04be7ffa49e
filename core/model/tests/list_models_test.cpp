// What the models of the sections kept as one list in one file share: a write only after a
// change, and a file put back read again in place of the records.
#include "core/model/list_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/catalog/catalog_model.h"
#include "core/debts/debt_book.h"
#include "core/notes/notes_model.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

// Each model's way to add a record by name, and the names of its records in their order.
struct Notes {
    using Model = NotesModel;
    static void Add(Model& model, const std::string& name) { model.Keep(0, name, {}); }
    static const NoteList& List(const Model& model) { return model.Notes(); }
    static const std::string& Name(const TNote& note) { return note.Name; }
};
struct Catalog {
    using Model = CatalogModel;
    static void Add(Model& model, const std::string& name) { model.Add(1, name, {}); }
    static const CatalogList& List(const Model& model) { return model.Entries(); }
    static const std::string& Name(const TCatalogNote& entry) { return entry.Name; }
};
struct Debts {
    using Model = DebtBook;
    static void Add(Model& model, const std::string& name) {
        model.Add(TCreditNote(kOwedToMe, name, "", 0, 46000));
    }
    static const CreditList& List(const Model& model) { return model.Credits(); }
    static const std::string& Name(const TCreditNote& debt) { return debt.Person; }
};

template <class Section>
class ListModels : public ::testing::Test {
protected:
    using Model = typename Section::Model;
    std::vector<std::string> Names(const Model& model) {
        std::vector<std::string> names;
        const auto& list = Section::List(model);
        for (std::size_t i = 0; i < list.Count(); ++i) names.push_back(Section::Name(list[i]));
        return names;
    }

    testing::ScratchDir dir_;
    StreamContainer container_;
    std::string path_ = dir_.File("Records.dat");
};

using Sections = ::testing::Types<Notes, Catalog, Debts>;
TYPED_TEST_SUITE(ListModels, Sections);

TYPED_TEST(ListModels, SaveWritesOnlyAChangeAndLoadNowReadsTheFileAgain) {
    using Model = typename TypeParam::Model;
    {
        Model model(this->container_, this->path_);
        model.Save();
        EXPECT_FALSE(std::filesystem::exists(this->path_)) << "nothing changed";
        TypeParam::Add(model, "first");
        TypeParam::Add(model, "second");
        EXPECT_TRUE(model.Modified());
        model.Save();
        EXPECT_FALSE(model.Modified());
    }
    const std::string written = testing::FileContents(this->path_);
    Model model(this->container_, this->path_);
    std::vector<SectionModel::Change> heard;
    model.Listen([&heard](SectionModel::Change change) { heard.push_back(change); });
    model.LoadNow();
    EXPECT_EQ(this->Names(model), (std::vector<std::string>{"first", "second"}));
    model.Save();
    EXPECT_EQ(testing::FileContents(this->path_), written) << "nothing changed since the read";

    // A copy put back in place of the file: read again, the change made since is dropped.
    {
        Model copy(this->container_, this->dir_.File("Copy.dat"));
        TypeParam::Add(copy, "restored");
        copy.Save();
    }
    TypeParam::Add(model, "unsaved");
    std::filesystem::copy_file(this->dir_.File("Copy.dat"), this->path_,
                               std::filesystem::copy_options::overwrite_existing);
    model.LoadNow();
    EXPECT_FALSE(model.Modified());
    EXPECT_EQ(this->Names(model), std::vector<std::string>{"restored"});
    EXPECT_EQ(heard, (std::vector<SectionModel::Change>(2, SectionModel::Change::Loaded)));
}

TYPED_TEST(ListModels, ADeleteMarksTheChangeAndAGoneRecordChangesNothing) {
    typename TypeParam::Model model(this->container_, this->path_);
    TypeParam::Add(model, "kept");
    TypeParam::Add(model, "deleted");
    const std::uint64_t serial = TypeParam::List(model).SerialAt(1);
    model.ClearChanged();
    ASSERT_TRUE(model.Delete(serial));
    EXPECT_TRUE(model.Modified());
    model.ClearChanged();
    EXPECT_FALSE(model.Delete(serial));
    EXPECT_FALSE(model.Modified());
    EXPECT_EQ(this->Names(model), std::vector<std::string>{"kept"});
}

}  // namespace
}  // namespace pomix
