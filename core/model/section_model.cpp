#include "core/model/section_model.h"

#include <vector>

namespace pomix {

void SectionModel::LoadNow() {
    if (std::optional<Load> load = MakeLoad()) {
        load->read();
        load->take();
    }
}

std::shared_ptr<FileImage> SectionModel::TakeWrite() {
    if (!loaded_ || saving_ || !modified_ || !DataFile()) return nullptr;
    std::shared_ptr<FileImage> image = ImageOfRecords();
    if (!image) return nullptr;
    modified_ = false;
    saving_ = true;
    return image;
}

void SectionModel::Written(const FileImage& image, bool ok) {
    saving_ = false;
    saveFailed_ = !ok;
    if (ok) DataFile()->Written(image);
}

int SectionModel::Listen(Listener listener) {
    listeners_.emplace(nextListener_, std::move(listener));
    return nextListener_++;
}

void SectionModel::StopListening(int id) { listeners_.erase(id); }

void SectionModel::Notify(Change change) {
    // A listener may unsubscribe itself or another one while it runs.
    std::vector<int> ids;
    for (const auto& entry : listeners_) ids.push_back(entry.first);
    for (int id : ids) {
        if (auto it = listeners_.find(id); it != listeners_.end()) it->second(change);
    }
}

}  // namespace pomix
