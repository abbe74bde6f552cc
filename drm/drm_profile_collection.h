#pragma once
// The DRM profiles of this process, as every encoder's content author sees them. A new
// profile goes first (index 0), so the newest is at the front. Thread-safe.

#include "drm/drm_profile.h"

#include <memory>
#include <mutex>
#include <vector>

namespace drm {

class DrmProfileCollection {
public:
    static DrmProfileCollection& Instance();

    int Count() const;
    // The profile at `index`, or null outside 0..Count()-1.
    std::shared_ptr<DrmProfile> Item(int index) const;
    // The profile with that id, compared without regard to case, or null.
    std::shared_ptr<DrmProfile> Find(const QString& id) const;
    void Add(std::shared_ptr<DrmProfile> profile);
    bool Remove(const QString& id);

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<DrmProfile>> profiles_;
};

}  // namespace drm
