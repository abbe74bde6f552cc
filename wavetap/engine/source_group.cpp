#include "engine/source_group.h"

#include "engine/data_view.h"

namespace wavetap::engine {

HRESULT Source::SetInput(const QString& input, const QString& scheme, const QString& initData) {
    if (input.isEmpty()) return E_INVALIDARG;
    static const QString kDevice = "DEVICE://";
    static const QString kScreen = "ScreenCap://";
    input_ = input;
    initData_ = initData;
    if (input.startsWith(kDevice, Qt::CaseInsensitive)) {
        kind_ = InputKind::Device;
        resource_ = input.mid(kDevice.size());
        scheme_ = "DEVICE";
    } else if (input.startsWith(kScreen, Qt::CaseInsensitive)) {
        if (type_ != kSourceVideo) return E_INVALIDARG;
        kind_ = InputKind::Screen;
        resource_ = input.mid(kScreen.size());
        scheme_ = "ScreenCap";
    } else {
        kind_ = InputKind::File;
        resource_ = input;
        scheme_ = "File";
    }
    if (!scheme.isEmpty()) scheme_ = scheme;
    return S_OK;
}

HRESULT Source::GetInput(QString* input, QString* scheme, QString* initData) const {
    if (kind_ == InputKind::None) return E_UNEXPECTED;
    if (input) *input = input_;
    if (scheme) *scheme = scheme_;
    if (initData) *initData = initData_;
    return S_OK;
}

HRESULT Source::AddTransform(const QString& input) {
    if (type_ != kSourceVideo || input.compare(kLogoTransform, Qt::CaseInsensitive) != 0) return E_INVALIDARG;
    logo_ = true;
    return S_OK;
}

int Source::AddPreview(DataView* view) { return view && type_ == kSourceVideo ? view->NewCookie() : -1; }

int Source::AddPostview(DataView* view) { return view && type_ == kSourceVideo ? view->NewCookie() : -1; }

HRESULT SourceGroup::SetProfile(const Profile& profile) {
    profile_ = profile;
    return S_OK;
}

Source* SourceGroup::AddSource(int type) {
    std::unique_ptr<Source>* slot = type == kSourceAudio ? &audio_ : type == kSourceVideo ? &video_ : nullptr;
    if (!slot || *slot) return nullptr;
    *slot = std::make_unique<Source>(type);
    return slot->get();
}

Source* SourceGroup::GetSource(int type, int index) const {
    if (index != 0) return nullptr;
    return type == kSourceAudio ? audio_.get() : type == kSourceVideo ? video_.get() : nullptr;
}

std::vector<Source*> SourceGroup::Sources() const {
    std::vector<Source*> sources;
    if (audio_ && audio_->Kind() != InputKind::None) sources.push_back(audio_.get());
    if (video_ && video_->Kind() != InputKind::None) sources.push_back(video_.get());
    return sources;
}

HRESULT SourceGroup::SetAutoRollover(int rollover, const QString& groupName) {
    if (rollover != -1 || groupName.isEmpty()) return E_INVALIDARG;
    rolloverGroup_ = groupName;
    return S_OK;
}

bool SourceGroup::PlaysFiles() const {
    for (Source* source : Sources())
        if (source->Kind() == InputKind::File) return true;
    return false;
}

SourceGroup* SourceGroupCollection::Add(const QString& name) {
    if (name.isEmpty() || Find(name)) return nullptr;
    groups_.push_back(std::make_unique<SourceGroup>(name));
    if (!active_) active_ = groups_.back().get();
    return groups_.back().get();
}

SourceGroup* SourceGroupCollection::Item(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return groups_[static_cast<size_t>(index)].get();
}

SourceGroup* SourceGroupCollection::Find(const QString& name) const {
    for (const auto& group : groups_)
        if (group->Name().compare(name, Qt::CaseInsensitive) == 0) return group.get();
    return nullptr;
}

HRESULT SourceGroupCollection::SetActive(SourceGroup* group) {
    if (!group) return E_INVALIDARG;
    if (switchHandler_) return switchHandler_(group);
    active_ = group;
    return S_OK;
}

}  // namespace wavetap::engine
