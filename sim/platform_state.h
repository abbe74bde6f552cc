#pragma once
// Everything the platform keeps in its data folder. Each record lists its fields once
// in Visit(), which the state file uses to write and read it.

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct Account {
  std::string userName;
  // MD5 hex of the GBK password bytes: only until ProtectPasswords turns it into
  // passwordHash (files written before the hash existed hold it).
  std::string passwordDigest;
  std::int64_t companyId = 0;
  bool singleSession = false;
  std::string passwordHash;  // see sim/account_password.h
  template <class V> void Visit(V& v) {
    v("userName", userName); v("passwordDigest", passwordDigest);
    v("companyId", companyId); v("singleSession", singleSession); v("passwordHash", passwordHash);
  }
};

// Every field of the service's company record; freeSpace and totalSpace are KiB,
// liveCount minutes.
struct Company {
  std::string comName; std::int64_t drmCount = 0; std::string drmPrivateKey, drmSeed, drmUrl;
  double freeCount = 0; std::int64_t freeSpace = 0, ftpId = 0;
  std::string ftpName, ftpPass, ftpUser; std::int64_t id = 0; std::string ip;
  std::int64_t liveCount = 0; std::string loginName, path; std::int32_t port = 0;
  std::string proFile; std::int64_t score = 0; std::int32_t space = 0, state = 0;
  std::int64_t totalSpace = 0, vodCount = 0;
  template <class V> void Visit(V& v) {
    v("comName", comName); v("drmCount", drmCount); v("drmPrivateKey", drmPrivateKey);
    v("drmSeed", drmSeed); v("drmUrl", drmUrl); v("freeCount", freeCount);
    v("freeSpace", freeSpace); v("ftpId", ftpId); v("ftpName", ftpName); v("ftpPass", ftpPass);
    v("ftpUser", ftpUser); v("id", id); v("ip", ip); v("liveCount", liveCount);
    v("loginName", loginName); v("path", path); v("port", port); v("proFile", proFile);
    v("score", score); v("space", space); v("state", state); v("totalSpace", totalSpace);
    v("vodCount", vodCount);
  }
};

struct PublishingPoint {
  std::string name;
  std::int64_t liveId = 0;  // the broadcast holding the point, 0 when free
  template <class V> void Visit(V& v) { v("name", name); v("liveId", liveId); }
};

struct MediaServer {
  std::int64_t id = 0; std::string mediaName, ip; std::int32_t port = 0;
  std::string serverUser, serverPass, isCdn; std::int32_t isLogin = 0;
  std::vector<PublishingPoint> points;
  template <class V> void Visit(V& v) {
    v("id", id); v("mediaName", mediaName); v("ip", ip); v("port", port);
    v("serverUser", serverUser); v("serverPass", serverPass); v("isCdn", isCdn);
    v("isLogin", isLogin); v("points", points);
  }
};

// A broadcast from the moment a publishing point is handed out until it is stopped.
struct Broadcast {
  std::int64_t liveId = 0, companyId = 0, serverId = 0;  // serverId 0: served from the PC only
  std::string pubPoint, playPath, profile, videoDevice, audioDevice;
  std::int32_t type = 0, isDrm = 0;
  std::string publicKey, seed, kid, playUrl, userIp;
  std::string state;  // "allocated", "live", "ended" or "released"
  std::int64_t allocatedAt = 0, startedAt = 0, endedAt = 0;  // Unix milliseconds
  std::int64_t minutesCharged = 0;
  template <class V> void Visit(V& v) {
    v("liveId", liveId); v("companyId", companyId); v("serverId", serverId);
    v("pubPoint", pubPoint); v("playPath", playPath); v("profile", profile);
    v("videoDevice", videoDevice); v("audioDevice", audioDevice); v("type", type);
    v("isDrm", isDrm); v("publicKey", publicKey); v("seed", seed); v("kid", kid);
    v("playUrl", playUrl); v("userIp", userIp); v("state", state);
    v("allocatedAt", allocatedAt); v("startedAt", startedAt); v("endedAt", endedAt);
    v("minutesCharged", minutesCharged);
  }
};

struct Video {
  std::int64_t id = 0, companyId = 0;
  std::int32_t isUpload = 0, onlyAudio = 0;
  std::string kid, uploadFolder, uploadName, videoName;
  std::int64_t videoSize = 0;
  bool inStorage = false;  // the file was found in the FTP storage when reported
  std::int64_t reportedAt = 0;
  template <class V> void Visit(V& v) {
    v("id", id); v("companyId", companyId); v("isUpload", isUpload); v("onlyAudio", onlyAudio);
    v("kid", kid); v("uploadFolder", uploadFolder); v("uploadName", uploadName);
    v("videoName", videoName); v("videoSize", videoSize); v("inStorage", inStorage);
    v("reportedAt", reportedAt);
  }
};

struct RecorderFtp {
  std::int64_t ftpId = 0; std::string ip, logicPath, passWord; std::int32_t port = 0;
  std::string userName;
  template <class V> void Visit(V& v) {
    v("ftpId", ftpId); v("ip", ip); v("logicPath", logicPath); v("passWord", passWord);
    v("port", port); v("userName", userName);
  }
};

struct RecorderChannel {
  std::int64_t channelId = 0, encId = 0, companyId = 0;
  std::string channelName; std::int32_t encContent = 0, pgFashion = 0;
  std::string author, copyRight, desc, profileName;
  bool templatesChanged = false;
  std::vector<RecorderFtp> ftpList;
  std::vector<std::int64_t> mediaServerIds;
  template <class V> void Visit(V& v) {
    v("channelId", channelId); v("encId", encId); v("companyId", companyId);
    v("channelName", channelName); v("encContent", encContent); v("pgFashion", pgFashion);
    v("author", author); v("copyRight", copyRight); v("desc", desc);
    v("profileName", profileName); v("templatesChanged", templatesChanged);
    v("ftpList", ftpList); v("mediaServerIds", mediaServerIds);
  }
};

// One programme of a template (the fields of the service's programme record).
struct Programme {
  std::string beginTime, channelName, channelNum; std::int64_t columnId = 0, ctId = 0;
  std::string ctName, endTime; std::int32_t flag = 0, isfor = 0;
  std::string pgName, pgShortName; std::int64_t tcId = 0; std::string videoPath;
  template <class V> void Visit(V& v) {
    v("beginTime", beginTime); v("channelName", channelName); v("channelNum", channelNum);
    v("columnId", columnId); v("ctId", ctId); v("ctName", ctName); v("endTime", endTime);
    v("flag", flag); v("isfor", isfor); v("pg_name", pgName); v("pg_shortname", pgShortName);
    v("tcId", tcId); v("videoPath", videoPath);
  }
};

// A weekly template (week 1 Monday .. 7 Sunday) or a special one for a date ("MM-DD").
struct Template {
  std::int64_t id = 0, channelId = 0; std::int32_t week = 0; std::string date, name;
  std::vector<Programme> programmes;
  template <class V> void Visit(V& v) {
    v("id", id); v("channelId", channelId); v("week", week); v("date", date); v("name", name);
    v("programmes", programmes);
  }
};

struct RecordedVideo {
  std::int64_t id = 0, channelId = 0, encId = 0, pgId = 0, ftpId = 0, userId = 0, tcId = 0;
  std::int32_t type = 0, isDrm = 0, videoSize = 0, score = 0;
  std::string videoName, path, beginTime, endTime, encTime, picPath;
  template <class V> void Visit(V& v) {
    v("id", id); v("channelId", channelId); v("encId", encId); v("pgId", pgId); v("ftpId", ftpId);
    v("userId", userId); v("tcId", tcId); v("type", type); v("isDrm", isDrm);
    v("videoSize", videoSize); v("score", score); v("videoName", videoName); v("path", path);
    v("beginTime", beginTime); v("endTime", endTime); v("encTime", encTime); v("picPath", picPath);
  }
};

struct ColumnType {
  std::int64_t id = 0; std::string typeName;
  template <class V> void Visit(V& v) { v("id", id); v("typeName", typeName); }
};

// TV guide: areas hold stations, stations hold channels, channels hold the day's programmes.
struct TvProgramme {
  std::string info, meridiem, playTime, tvProgram;
  template <class V> void Visit(V& v) {
    v("info", info); v("meridiem", meridiem); v("playTime", playTime); v("tvProgram", tvProgram);
  }
};
struct TvChannel {
  std::string netProgId, netProgName; std::vector<TvProgramme> programmes;
  template <class V> void Visit(V& v) {
    v("netProgId", netProgId); v("netProgName", netProgName); v("programmes", programmes);
  }
};
struct TvStation {
  std::string channelId, channelName; std::vector<TvChannel> channels;
  template <class V> void Visit(V& v) {
    v("channelId", channelId); v("channelName", channelName); v("channels", channels);
  }
};
struct TvArea {
  std::string areaId, area, zone; std::vector<TvStation> stations;
  template <class V> void Visit(V& v) {
    v("areaId", areaId); v("area", area); v("zone", zone); v("stations", stations);
  }
};

struct PlatformState {
  std::int64_t nextId = 1;  // source of every new identifier (live ids, videos, shows)
  std::vector<Account> accounts;
  std::vector<Company> companies;
  std::vector<MediaServer> mediaServers;
  std::vector<Broadcast> broadcasts;
  std::vector<Video> videos;
  std::vector<RecorderChannel> recorderChannels;
  std::vector<Template> weeklyTemplates;
  std::vector<Template> specialTemplates;
  std::vector<RecordedVideo> recordedVideos;
  std::vector<ColumnType> columnTypes;
  std::vector<TvArea> tvGuide;
  template <class V> void Visit(V& v) {
    v("nextId", nextId); v("accounts", accounts); v("companies", companies);
    v("mediaServers", mediaServers); v("broadcasts", broadcasts); v("videos", videos);
    v("recorderChannels", recorderChannels); v("weeklyTemplates", weeklyTemplates);
    v("specialTemplates", specialTemplates); v("recordedVideos", recordedVideos);
    v("columnTypes", columnTypes); v("tvGuide", tvGuide);
  }

  Company* FindCompany(std::int64_t id);
  MediaServer* FindServer(std::int64_t id);
  Broadcast* FindBroadcast(std::int64_t liveId);
  RecorderChannel* FindChannel(std::int64_t channelId);
};

}  // namespace sim
