#pragma once
// "WEBShowList.ini": the station's channel records, the channel's FTP accounts and the
// cache of the templates the schedule was rebuilt from. Its key names keep their odd
// spellings ("CHANNECOUNT " with a trailing blank).

#include "recorder/ftp_account.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_records.h"

#include <QString>

#include <optional>
#include <vector>

inline const QString kWebShowListFile = QStringLiteral("WEBShowList.ini");

struct WebSettings {
    int channelCount = 0;                // "CHANNECOUNT ", at most kMaxRecorderChannels
    std::vector<ChannelRecord> channels; // WEBSET_<i>: ENCID, CHANNELID, WEBCONTENT
    std::optional<FtpAccount> ftp;       // the last FTP section, when there is one
};

WebSettings ReadWebSettings(const QString& webFile);

// LoadWebSettings: reads the file into the channel records and the FTP account, and
// sets uploadEnabled when it held an account.
void LoadWebSettings(const QString& webFile, FtpAccountSlot& ftp);

// The FTP part of LoadWebSettings alone, for the account the rebuild just wrote.
void LoadFtpAccount(const QString& webFile, FtpAccountSlot& ftp);

// What the template rebuild writes: channel 0's id and name, the channel's FTP
// accounts, and the cache of a weekday's template.
void WriteChannelIdentity(const QString& webFile, qint64 channelId, const QString& channelName);
void WriteFtpList(const QString& webFile, const std::vector<RecorderService::ENCFtp>& list);
void WriteTemplateCache(const QString& webFile, bool special, int weekday, const RecorderService::ENCTemple& temple,
                        qint64 channelId);
