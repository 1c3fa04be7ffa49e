#include "core/addressbook/address_book.h"

#include <utility>

namespace pomix {
namespace {

struct ContactsLoad : ListLoad<AddressList> {
    using ListLoad::ListLoad;
    ContactLines lines;
    void Read() {
        pomix::LoadAddressList(file, list);
        lines.Category(list, kAllCategories);
    }
    void Adopt(ContactsLoad&& other) {
        ListLoad::Adopt(std::move(other));
        lines = std::move(other.lines);
    }
};

}  // namespace

EarlyRead AddressBook::EarlyReadIn(const std::string& dataDir) {
    return MakeEarlyRead<ContactsLoad>(dataDir + kAddressFileName, kAddressStreamName);
}

std::optional<SectionModel::Load> AddressBook::MakeLoad() {
    auto load = std::make_shared<ContactsLoad>(file_);
    return SectionModel::Load{[load] { ReadOrTakeEarly(*load); },
                [this, load] {
                    Contacts = std::move(load->list);
                    file_.AdoptLoad(load->file);
                    Lines = std::move(load->lines);
                    ClearChanged();
                    Notify(Change::Loaded);
                }};
}

AddressBook::AddressBook(StreamContainer& container, std::string fileName)
    : file_(container, std::move(fileName), kAddressStreamName) {}

void AddressBook::Save() {
    SaveAddressList(file_, Contacts, Modified());
    ClearChanged();
}

void AddressBook::ReplaceContacts(const AddressList& contacts) {
    Contacts.Clear();
    Contacts.Reserve(contacts.Count());
    for (std::size_t i = 0; i < contacts.Count(); ++i) Contacts.Add(contacts[i]);
    Lines.Changed();
    MarkChanged();
    Notify(Change::Replaced);
}

std::shared_ptr<FileImage> AddressBook::ImageOfRecords() {
    return file_.TakeListImage(Contacts, WriteAddressList);
}

}  // namespace pomix
