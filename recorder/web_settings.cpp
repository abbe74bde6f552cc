#include "recorder/web_settings.h"

#include "platform/ini_store.h"
#include "recorder/numbered_sections.h"

namespace {

const QString kWebSet = QStringLiteral("WEBSET");

QString Get(const QString& section, const char* key, const QString& file) {
    return platform::GetPrivateProfileString(section, QString::fromLatin1(key), QString(), file);
}
int GetInt(const QString& section, const char* key, const QString& file) {
    return platform::GetPrivateProfileInt(section, QString::fromLatin1(key), 0, file);
}
void Put(const QString& section, const char* key, const QString& value, const QString& file) {
    platform::WritePrivateProfileString(section, QString::fromLatin1(key), value.isNull() ? QStringLiteral("") : value,
                                        file);
}

QString ChannelSection(int i) { return QStringLiteral("%1_%2").arg(kWebSet).arg(i); }
QString FtpSection(int i) { return QStringLiteral("0_FTP_%1").arg(i); }

}  // namespace

WebSettings ReadWebSettings(const QString& webFile) {
    WebSettings settings;
    settings.channelCount = std::clamp(GetInt(kWebSet, "CHANNECOUNT ", webFile), 0, kMaxRecorderChannels);
    for (int i = 0; i < settings.channelCount; ++i) {
        const QString s = ChannelSection(i);
        ChannelRecord record;
        record.encId = GetInt(s, "ENCID", webFile);
        record.channelId = GetInt(s, "CHANNELID", webFile);
        record.webContent = GetInt(s, "WEBCONTENT", webFile);
        (void)Get(s, "CHANNEISINSERT ", webFile);  // read, never used
        settings.channels.push_back(record);
    }
    // Each FTP section in turn, the last one winning; a count beyond the sections ends
    // at the last section there is.
    const int ftpCount = std::max(0, GetInt(kWebSet, "ftpservercount", webFile));
    const int last = std::min(ftpCount - 1, LastNumberedSection(webFile, QStringLiteral("0_FTP_")));
    for (int i = 0; i <= last; ++i) {
        const QString s = FtpSection(i);
        FtpAccount account;
        account.ftpId = GetInt(s, "FTPID", webFile);
        account.host = Get(s, "FTPIP", webFile);
        account.port = GetInt(s, "FTPPORT", webFile);
        account.path = Get(s, "FTPPATH", webFile);
        account.user = Get(s, "FTPUSERNAME", webFile);
        account.pass = Get(s, "FTPPASS", webFile);
        settings.ftp = account;
    }
    return settings;
}

void LoadWebSettings(const QString& webFile, FtpAccountSlot& ftp) {
    const WebSettings settings = ReadWebSettings(webFile);
    Recorder().channelCount = settings.channelCount;
    for (int i = 0; i < settings.channelCount; ++i) {
        ChannelRecord record = Recorder().Channel(i);
        record.encId = settings.channels[static_cast<std::size_t>(i)].encId;
        record.channelId = settings.channels[static_cast<std::size_t>(i)].channelId;
        record.webContent = settings.channels[static_cast<std::size_t>(i)].webContent;
        Recorder().SetChannel(i, record);
    }
    if (settings.ftp) {
        ftp.Set(*settings.ftp);
        Recorder().uploadEnabled = 1;
    }
}

void LoadFtpAccount(const QString& webFile, FtpAccountSlot& ftp) {
    const WebSettings settings = ReadWebSettings(webFile);
    if (!settings.ftp) return;
    ftp.Set(*settings.ftp);
    Recorder().uploadEnabled = 1;
}

void WriteChannelIdentity(const QString& webFile, qint64 channelId, const QString& channelName) {
    const QString s = ChannelSection(0);
    Put(s, "CHANNELID", QString::number(channelId), webFile);
    Put(s, "CHANNELNAME", channelName, webFile);
}

void WriteFtpList(const QString& webFile, const std::vector<RecorderService::ENCFtp>& list) {
    Put(kWebSet, "ftpservercount", QString::number(list.size()), webFile);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const QString s = FtpSection(static_cast<int>(i));
        const RecorderService::ENCFtp& f = list[i];
        Put(s, "FTPID", QString::number(f.ftpId), webFile);
        Put(s, "FTPIP", f.ip, webFile);
        Put(s, "FTPPORT", QString::number(f.port), webFile);
        Put(s, "FTPPATH", f.logicPath, webFile);
        Put(s, "FTPUSERNAME", f.userName, webFile);
        Put(s, "FTPPASS", f.passWord, webFile);
    }
}

void WriteTemplateCache(const QString& webFile, bool special, int weekday, const RecorderService::ENCTemple& temple,
                        qint64 channelId) {
    const QString s = QStringLiteral("0_%1_%2").arg(special ? QStringLiteral("spectemplatecfg")
                                                            : QStringLiteral("templatecfg")).arg(weekday);
    Put(s, "progcount", QString::number(temple.progList.size()), webFile);
    // Every programme writes the same keys: the section keeps the last one.
    if (temple.progList.empty()) return;
    const RecorderService::ENCProg& p = temple.progList.back();
    Put(s, "pgid", QStringLiteral("%1-%2").arg(p.columnId).arg(channelId), webFile);
    Put(s, "Showid", QString::number(p.tcId), webFile);
    Put(s, "pgname", p.pg_name, webFile);
    Put(s, "pgshortname", p.pg_shortname, webFile);
    Put(s, "begintime", p.beginTime, webFile);
    Put(s, "endtime", p.endTime, webFile);
    Put(s, "srcfiles", p.videoPath, webFile);
}
