#pragma once
// Command line of castora-encode.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace wavetap::cli {

struct GroupOption {
    QString name;
    QString video;
    QString audio;
    QString rollover;
};

struct SwitchOption {
    double afterSeconds = 0;
    QString group;
};

struct EncodeOptions {
    QString profileDir;
    QString profile;
    QString video;
    QString audio;
    bool audioOnly = false;
    bool logo = false;
    QString save;
    bool serve = false;
    // --push HOST:PORT/POINT: push to a media server's publishing point.
    QString pushHost;
    int pushPort = 0;
    QString pushPoint;
    QString pushUser;
    QString pushPassword;
    double seconds = 0;  // 0: until the run stops by itself
    QString title;
    QString author;
    QString copyright;
    QString description;
    std::vector<GroupOption> groups;
    std::vector<SwitchOption> switches;
};

// nullopt with a message for a malformed command line.
std::optional<EncodeOptions> ParseEncodeOptions(const QStringList& arguments, QString* error);

QString EncodeUsage();

}  // namespace wavetap::cli
