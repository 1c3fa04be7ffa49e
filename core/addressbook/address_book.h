// The address book's model: the contacts, their sorted lines and their file, shared by the
// window, the debt book's name choice and the sync.
#pragma once

#include <string>

#include "core/addressbook/address.h"
#include "core/model/section_model.h"
#include "storage/early_reads.h"
#include "storage/section_file.h"
#include "storage/stream_container.h"

namespace pomix {

class AddressBook : public SectionModel {
public:
    // fileName is DataDir + "Address.dat"; the container is the program's shared one.
    AddressBook(StreamContainer& container, std::string fileName);

    AddressList Contacts;
    // The contacts' lines in display order, kept between changes: whoever adds, edits or
    // deletes a contact calls Lines.Changed().
    ContactLines Lines;

    SectionFile& File() { return file_; }
    const SectionFile& File() const { return file_; }
    SectionFile* DataFile() override { return &file_; }
    // True when the last load stopped at damage; the records read before it are kept.
    bool LoadFailed() const { return file_.LoadFailed(); }

    // The file's records in place of the contacts (LoadNow, or MakeLoad beside the
    // interface); a missing file is none. The read beside the interface (the names sorted there too), taking the start's early
    // read of the file where it is still current.
    std::optional<SectionModel::Load> MakeLoad() override;
    static EarlyRead EarlyReadIn(const std::string& dataDir);
    // Writes the file when the contacts changed, then clears the mark. Storage errors pass
    // to the caller with the mark still set.
    void Save();
    // A sync's or a restore's contacts in place of the list (new serial numbers, so that no
    // old line reaches a contact of the new list), marked for saving; the views follow.
    void ReplaceContacts(const AddressList& contacts);

protected:
    std::shared_ptr<FileImage> ImageOfRecords() override;

private:
    SectionFile file_;
};

}  // namespace pomix
