#include "core/addressbook/address_book.h"

#include <utility>

namespace pomix {

AddressBook::AddressBook(StreamContainer& container, std::string fileName)
    : file_(container, std::move(fileName), kAddressStreamName) {}

void AddressBook::Load() {
    LoadAddressList(file_, Contacts);
    Lines.Changed();
    ClearChanged();
}

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
