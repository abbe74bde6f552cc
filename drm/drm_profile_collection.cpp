#include "drm/drm_profile_collection.h"

#include <algorithm>

namespace drm {

DrmProfileCollection& DrmProfileCollection::Instance() {
    static DrmProfileCollection collection;
    return collection;
}

int DrmProfileCollection::Count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(profiles_.size());
}

std::shared_ptr<DrmProfile> DrmProfileCollection::Item(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(profiles_.size())) return nullptr;
    return profiles_[static_cast<std::size_t>(index)];
}

std::shared_ptr<DrmProfile> DrmProfileCollection::Find(const QString& id) const {
    std::lock_guard lock(mutex_);
    for (const auto& profile : profiles_)
        if (profile->id.compare(id, Qt::CaseInsensitive) == 0) return profile;
    return nullptr;
}

void DrmProfileCollection::Add(std::shared_ptr<DrmProfile> profile) {
    std::lock_guard lock(mutex_);
    profiles_.insert(profiles_.begin(), std::move(profile));
}

bool DrmProfileCollection::Remove(const QString& id) {
    std::lock_guard lock(mutex_);
    const auto it = std::find_if(profiles_.begin(), profiles_.end(), [&id](const auto& profile) {
        return profile->id.compare(id, Qt::CaseInsensitive) == 0;
    });
    if (it == profiles_.end()) return false;
    profiles_.erase(it);
    return true;
}

}  // namespace drm
