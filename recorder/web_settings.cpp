#include "recorder/web_settings.h"

#include "recorder/ini_values.h"
#include "recorder/numbered_sections.h"

namespace {

const QString kWebSet = QStringLiteral("WEBSET");

QString ChannelSection(int i) { return QStringLiteral("%1_%2").arg(kWebSet).arg(i); }
QString FtpSection(int i) { return QStringLiteral("0_FTP_%1").arg(i); }

}  // namespace

WebSettings ReadWebSettings(const QString& webFile) {
    WebSettings settings;
    settings.channelCount = std::clamp(ReadIniInt(kWebSet, "CHANNECOUNT ", webFile), 0, kMaxRecorderChannels);
    for (int i = 0; i < settings.channelCount; ++i) {
        const QString s = ChannelSection(i);
        ChannelRecord record;
        record.encId = ReadIniInt(s, "ENCID", webFile);
        record.channelId = ReadIniInt(s, "CHANNELID", webFile);
        record.webContent = ReadIniInt(s, "WEBCONTENT", webFile);
        (void)ReadIniText(s, "CHANNEISINSERT ", webFile);  // read, never used
        settings.channels.push_back(record);
    }
    // Each FTP section in turn, the last one winning; a count beyond the sections ends
    // at the last section there is.
    const int ftpCount = std::max(0, ReadIniInt(kWebSet, "ftpservercount", webFile));
    const int last = std::min(ftpCount - 1, LastNumberedSection(webFile, QStringLiteral("0_FTP_")));
    for (int i = 0; i <= last; ++i) {
        const QString s = FtpSection(i);
        FtpAccount account;
        account.ftpId = ReadIniInt(s, "FTPID", webFile);
        account.host = ReadIniText(s, "FTPIP", webFile);
        account.port = ReadIniInt(s, "FTPPORT", webFile);
        account.path = ReadIniText(s, "FTPPATH", webFile);
        account.user = ReadIniText(s, "FTPUSERNAME", webFile);
        account.pass = ReadIniText(s, "FTPPASS", webFile);
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
    WriteIniText(s, "CHANNELID", QString::number(channelId), webFile);
    WriteIniText(s, "CHANNELNAME", channelName, webFile);
}

void WriteFtpList(const QString& webFile, const std::vector<RecorderService::ENCFtp>& list) {
    WriteIniText(kWebSet, "ftpservercount", QString::number(list.size()), webFile);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const QString s = FtpSection(static_cast<int>(i));
        const RecorderService::ENCFtp& f = list[i];
        WriteIniText(s, "FTPID", QString::number(f.ftpId), webFile);
        WriteIniText(s, "FTPIP", f.ip, webFile);
        WriteIniText(s, "FTPPORT", QString::number(f.port), webFile);
        WriteIniText(s, "FTPPATH", f.logicPath, webFile);
        WriteIniText(s, "FTPUSERNAME", f.userName, webFile);
        WriteIniText(s, "FTPPASS", f.passWord, webFile);
    }
}

void WriteTemplateCache(const QString& webFile, bool special, int weekday, const RecorderService::ENCTemple& temple,
                        qint64 channelId) {
    const QString s = QStringLiteral("0_%1_%2").arg(special ? QStringLiteral("spectemplatecfg")
                                                            : QStringLiteral("templatecfg")).arg(weekday);
    WriteIniText(s, "progcount", QString::number(temple.progList.size()), webFile);
    // Every programme writes the same keys: the section keeps the last one.
    if (temple.progList.empty()) return;
    const RecorderService::ENCProg& p = temple.progList.back();
    WriteIniText(s, "pgid", QStringLiteral("%1-%2").arg(p.columnId).arg(channelId), webFile);
    WriteIniText(s, "Showid", QString::number(p.tcId), webFile);
    WriteIniText(s, "pgname", p.pg_name, webFile);
    WriteIniText(s, "pgshortname", p.pg_shortname, webFile);
    WriteIniText(s, "begintime", p.beginTime, webFile);
    WriteIniText(s, "endtime", p.endTime, webFile);
    WriteIniText(s, "srcfiles", p.videoPath, webFile);
}
