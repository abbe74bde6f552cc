#pragma once
// Source groups and their sources: what the encoder plays. A group holds at most one
// audio and one video source, a profile and an optional rollover group.

#include "engine/profile.h"
#include "engine/results.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace wavetap::engine {

class DataView;

inline constexpr int kSourceAudio = 1;
inline constexpr int kSourceVideo = 2;

// The one transform the engine offers: the logo overlay.
inline constexpr const char* kLogoTransform = "PluginWrapperForDMO://LogoDMO";

enum class InputKind { None, Device, Screen, File };

class Source {
public:
    explicit Source(int type) : type_(type) {}
    int Type() const { return type_; }

    // Sets the input; the scheme is taken from the input ("DEVICE://", "ScreenCap://")
    // and is "File" for anything else.
    HRESULT SetInput(const QString& input, const QString& scheme, const QString& initData);
    HRESULT GetInput(QString* input, QString* scheme, QString* initData) const;
    InputKind Kind() const { return kind_; }
    // The device name, or the file path.
    QString Resource() const { return resource_; }

    // Transform collection: Add then SetInput; only the logo overlay is known.
    HRESULT AddTransform(const QString& input);
    bool HasLogo() const { return logo_; }

    // Preview and postview collections: a cookie of the view for this stream.
    int AddPreview(DataView* view);
    int AddPostview(DataView* view);

    // Length of a file input in 100-ns units; 0 for live inputs or before preparing.
    std::int64_t Duration() const { return duration_; }
    void SetDuration(std::int64_t duration) { duration_ = duration; }

private:
    int type_;
    QString input_;
    QString scheme_;
    QString initData_;
    QString resource_;
    InputKind kind_ = InputKind::None;
    bool logo_ = false;
    std::int64_t duration_ = 0;
};

class SourceGroup {
public:
    explicit SourceGroup(QString name) : name_(std::move(name)) {}
    QString Name() const { return name_; }

    HRESULT SetProfile(const Profile& profile);
    const std::optional<Profile>& GetProfile() const { return profile_; }

    // A new source of that type (1 audio, 2 video); nullptr when the group has one already.
    Source* AddSource(int type);
    // The source of that type at index 0, or nullptr.
    Source* GetSource(int type, int index) const;
    std::vector<Source*> Sources() const;

    // rollover -1: when the group's sources end, continue with the named group.
    HRESULT SetAutoRollover(int rollover, const QString& groupName);
    QString RolloverGroup() const { return rolloverGroup_; }

    // True when the group plays files (they restart when the group becomes active).
    bool PlaysFiles() const;

private:
    QString name_;
    std::optional<Profile> profile_;
    std::unique_ptr<Source> audio_;
    std::unique_ptr<Source> video_;
    QString rolloverGroup_;
};

class SourceGroupCollection {
public:
    // Adds a group; nullptr for an empty or already used name.
    SourceGroup* Add(const QString& name);
    int Count() const { return static_cast<int>(groups_.size()); }
    SourceGroup* Item(int index) const;
    SourceGroup* Find(const QString& name) const;

    SourceGroup* Active() const { return active_; }
    // Makes the group active; while a run plays, the switch handler does the switch.
    HRESULT SetActive(SourceGroup* group);
    void SetSwitchHandler(std::function<HRESULT(SourceGroup*)> handler) { switchHandler_ = std::move(handler); }
    // Sets the active group without running the switch handler (used by the run itself).
    void MarkActive(SourceGroup* group) { active_ = group; }

private:
    std::vector<std::unique_ptr<SourceGroup>> groups_;
    SourceGroup* active_ = nullptr;
    std::function<HRESULT(SourceGroup*)> switchHandler_;
};

}  // namespace wavetap::engine
