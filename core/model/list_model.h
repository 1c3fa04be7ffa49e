// The model of a section whose records are one list in one data file: the list, the file, the
// close's write and the background's image of them, and the read beside the interface.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/model/section_model.h"
#include "storage/early_reads.h"
#include "storage/record_list.h"
#include "storage/section_file.h"
#include "storage/stream_container.h"

namespace pomix {

// A read beside the interface that also makes there the lines a view shows first, so that the
// interface thread only takes them. Records says how: Records::List, Records::Read(file, list)
// and Records::Lines(list).
template <class Records>
struct LinesLoad : ListLoad<typename Records::List> {
    using ListLoad<typename Records::List>::ListLoad;
    std::vector<ListLine> lines;
    void Read() {
        Records::Read(this->file, this->list);
        lines = Records::Lines(this->list);
    }
    void Adopt(LinesLoad&& other) {
        ListLoad<typename Records::List>::Adopt(std::move(other));
        lines = std::move(other.lines);
    }
};

// List is a RecordList of the section's records.
template <class List>
class ListModel : public SectionModel {
public:
    using WriteList = void (*)(const List&, Stream&);

    SectionFile& File() { return file_; }
    const SectionFile& File() const { return file_; }
    SectionFile* DataFile() override { return &file_; }

    // Writes the file when the records changed, then clears the mark. Storage errors pass to
    // the caller with the mark still set.
    void Save() {
        file_.SaveList(list_, Modified(), write_);
        ClearChanged();
    }
    // False, with nothing changed, when the record is gone already.
    bool Delete(std::uint64_t serial) {
        const std::optional<std::size_t> index = list_.FindSerial(serial);
        if (!index) return false;
        list_.Delete(*index);
        Changed();
        return true;
    }

protected:
    // fileName is DataDir + the section's file name; the container is the program's shared one.
    ListModel(StreamContainer& container, std::string fileName, const char* streamName, WriteList write)
        : file_(container, std::move(fileName), streamName), write_(write) {}

    // The file's records in place of the list, read by a Load (a ListLoad<List> with Read()
    // and Adopt(Load&&), or a LinesLoad) beside the interface, taking the start's early read of
    // the file where it is still current; a missing file is none.
    template <class Load>
    SectionModel::Load ReadBeside() {
        auto load = std::make_shared<Load>(file_);
        return {[load] { ReadOrTakeEarly(*load); },
                [this, load] {
                    list_ = std::move(load->list);
                    file_.AdoptLoad(load->file);
                    if constexpr (requires { load->lines; }) readLines_ = std::move(load->lines);
                    ClearChanged();
                    Notify(Change::Loaded);
                }};
    }
    // The lines the last read made, once, and only until the records change.
    std::optional<std::vector<ListLine>> TakeReadLines() { return std::exchange(readLines_, std::nullopt); }
    // Every change of the records: marked for saving, the lines read made from them dropped.
    void Changed() {
        readLines_.reset();
        MarkChanged();
    }
    std::shared_ptr<FileImage> ImageOfRecords() override { return file_.TakeListImage(list_, write_); }

    List list_;

private:
    SectionFile file_;
    WriteList write_;
    std::optional<std::vector<ListLine>> readLines_;
};

}  // namespace pomix
