// webSyncThread in the hosted control against castora-platform (through a gate that
// notes and fails chosen requests): the first rebuild, templates changed on the
// platform, a registered station, failed weekdays asked again, exit during failures,
// local changes pushed with insertChannel, and answers with fields missing or thousands
// of entries.

#include "platform/ini_store.h"
#include "recorder/add_show_dlg.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_show_dlg.h"
#include "recorder/schedule_rebuild.h"
#include "recorder/show_list_file.h"
#include "recorder/show_list_store.h"
#include "recorder_platform.h"
#include "service_gate.h"

#include <QComboBox>
#include <QDate>
#include <QElapsedTimer>

#include <set>

using namespace recorder_test;

namespace {

const QString kDays = QStringLiteral("一二三四五六日");

// Replaces what is inside the first <name>...</name> of an answer.
void ReplaceInside(std::string& answer, const std::string& name, const std::string& inner) {
    const std::size_t open = answer.find("<" + name + ">");
    const std::size_t close = answer.find("</" + name + ">", open);
    ASSERT_TRUE(open != std::string::npos && close != std::string::npos) << name << " in " << answer;
    const std::size_t from = open + name.size() + 2;
    answer.replace(from, close - from, inner);
}

// Removes the first <name>...</name> element of an answer.
void RemoveElement(std::string& answer, const std::string& name) {
    const std::size_t open = answer.find("<" + name + ">");
    const std::size_t close = answer.find("</" + name + ">", open);
    ASSERT_TRUE(open != std::string::npos && close != std::string::npos) << name << " in " << answer;
    answer.erase(open, close + name.size() + 3 - open);
}

template <typename Item>
std::string Repeated(int count, Item item) {
    std::string out;
    for (int i = 0; i < count; ++i) out += item(i);
    return out;
}

class WebSync : public RecorderPlatformTest {
protected:
    void StartWithGate() {
        StartPlatform(true);
        gate = std::make_unique<ServiceGate>(platform->port());
        Config(QByteArray("http://127.0.0.1:") + QByteArray::number(gate->port()));
    }
    void TearDown() override {
        RecorderPlatformTest::TearDown();
        gate.reset();
    }
    QString ShowFile() const { return folder + "CurrentShowList.ini"; }
    int ShowCount() const { return platform::GetPrivateProfileInt("SHOWLIST", "CURCOUNT", 0, ShowFile()); }
    ShowEntry Show(int n) const {
        static std::recursive_mutex lock;
        return ShowListFile(ShowFile(), lock).Read(n);
    }
    // The first listed show of that name, or an empty entry.
    ShowEntry FindShow(const QString& name) const {
        for (int n = 1; n <= ShowCount(); ++n) {
            if (Show(n).name == name) return Show(n);
        }
        return {};
    }
    // Shows the platform's seeded week gives for the coming seven days.
    static int ExpectedShows() {
        int count = 0;
        for (int d = 0; d < 7; ++d) count += QDate::currentDate().addDays(d).toString("MM-dd") == "01-01" ? 1 : 2;
        return count;
    }
    int TraceCount(const QString& line) const { return TraceText().count(line); }
    // "发布节目单", then waits for the rebuild the pushed change brings.
    bool PublishAndWaitForRebuild() {
        const int rebuilds = TraceCount("0 GetEncInfo end");
        Click(1037);
        return PumpUntil([&] { return TraceCount("0 GetEncInfo end") == rebuilds + 1; }, 20000);
    }
    std::string Web(const char* section, const char* key) const {
        return platform::GetPrivateProfileString(section, key, "<none>", folder + "WEBShowList.ini").toStdString();
    }
    int EditTemplate(int week, int index, const std::string& name, const std::string& begin, const std::string& end) {
        httplib::Client client("127.0.0.1", platform->port());
        httplib::Params form{{"channelId", "101"}, {"week", std::to_string(week)}, {"index", std::to_string(index)},
                             {"name", name}, {"beginTime", begin}, {"endTime", end}};
        auto res = client.Post("/recorder/template", form);
        return res ? res->status : 0;
    }

    std::unique_ptr<ServiceGate> gate;
};

TEST_F(WebSync, FirstRoundRebuildsTheWeekAndAChangedTemplateFollows) {
    BoxAnswers boxes(IDOK);
    StartWithGate();
    Open();
    ASSERT_TRUE(PumpUntil([&] { return TraceText().contains("0 GetEncInfo end"); }, 30000)) << TraceText().toStdString();
    ASSERT_EQ(ShowCount(), ExpectedShows());

    const int today = QDate::currentDate().dayOfWeek();
    const ShowEntry news = FindShow("早间新闻");
    EXPECT_EQ(news.start, "07:00:00");
    EXPECT_EQ(news.end, "07:30:00");
    EXPECT_EQ(news.cycle, kDays.mid(today - 1, 1)) << "today's template comes first";
    EXPECT_EQ(news.type, "1-新闻");
    EXPECT_EQ(news.pgid, "11-101");
    EXPECT_GT(news.showId.toLongLong(), 0);
    EXPECT_EQ(news.updateKey, 0);
    std::set<QString> cycles;
    for (int n = 1; n <= ShowCount(); ++n) cycles.insert(Show(n).cycle);
    EXPECT_EQ(cycles.size(), 7u) << "one weekday character per day";

    EXPECT_EQ(Web("WEBSET_0", "CHANNELID"), "101");
    EXPECT_EQ(Web("WEBSET_0", "CHANNELNAME"), "演示频道");
    EXPECT_EQ(Web("WEBSET", "ftpservercount"), "1");
    EXPECT_EQ(Web("0_FTP_0", "FTPPATH"), "/recorder");
    EXPECT_EQ(dialog->Ftp().user, "demo");
    EXPECT_EQ(dialog->Ftp().port, platform->ftpPort());
    EXPECT_TRUE(PumpUntil([&] { return dialog->ChannelName() == "演示频道"; }, 5000));
    EXPECT_EQ(Recorder().uploadEnabled.load(), 1);
    EXPECT_EQ(platform->Call("flag", "<channelId>101</channelId>").ReturnText(), "false") << "updateFlag was called";
    std::set<std::string> weeks;
    for (const auto& r : gate->Requests("getTemple")) weeks.insert(ServiceGate::Element(r.body, "week"));
    EXPECT_EQ(weeks.size(), 7u);
    EXPECT_EQ(gate->Requests("getTemple").size(), 7u);
    EXPECT_EQ(gate->Requests("getEncSpcTemple").size(), 7u);

    // Changed on the platform: the flag brings it at the next round ("发布节目单" only
    // wakes the worker).
    ASSERT_EQ(EditTemplate(today, 0, "午夜新闻", "23:00:00", "23:30:00"), 303);
    EXPECT_EQ(platform->Call("flag", "<channelId>101</channelId>").ReturnText(), "true");
    Click(1037);
    ASSERT_TRUE(PumpUntil([&] { return TraceCount("0 GetEncInfo end") == 2; }, 20000));
    EXPECT_EQ(FindShow("午夜新闻").start, "23:00:00");
    EXPECT_EQ(FindShow("午夜新闻").cycle, kDays.mid(today - 1, 1));
    EXPECT_EQ(ShowCount(), ExpectedShows());
    EXPECT_TRUE(PumpUntil([&] { return dialog->ShowPage()->Store().Count() == ExpectedShows(); }, 5000))
        << "the show page follows the rebuilt file";

    // "更新节目单" fetches again although nothing changed.
    const int rounds = TraceCount("0 GetEncInfo end");
    Click(202);
    EXPECT_TRUE(PumpUntil([&] { return TraceCount("0 GetEncInfo end") == rounds + 1; }, 20000));
}

TEST_F(WebSync, ARegisteredStationFetchesNoTemplate) {
    BoxAnswers boxes(IDOK);
    StartWithGate();
    WriteStation(501);
    ShowEntry own;
    own.name = "本地节目";
    own.start = "10:00:00";
    own.end = "11:00:00";
    own.cycle = "每天";
    own.updateKey = 0;
    std::recursive_mutex lock;
    ShowListFile(ShowFile(), lock).Append(own);
    Open();
    ASSERT_TRUE(PumpUntil([&] { return TraceText().contains("0 GetEncInfo"); }, 20000));
    PumpFor(1000);
    EXPECT_TRUE(gate->Requests("getTemple").empty());
    EXPECT_TRUE(gate->Requests("bChannel").empty());
    EXPECT_EQ(ShowCount(), 1) << "the station's own schedule stays";
    EXPECT_EQ(FindShow("本地节目").start, "10:00:00");
}

TEST_F(WebSync, AFailedWeekdayIsAskedAgainAloneTenSecondsLater) {
    BoxAnswers boxes(IDOK);
    StartWithGate();
    const int failing = QDate::currentDate().addDays(2).dayOfWeek();
    const std::string week = std::to_string(failing);
    std::atomic<int> failures{0};
    gate->FailWhen([&](const ServiceGate::Request& r) {
        return r.operation == "getTemple" && ServiceGate::Element(r.body, "week") == week && failures++ == 0;
    });
    Open();
    ASSERT_TRUE(PumpUntil([&] { return TraceText().contains("0 GetEncInfo end"); }, 40000)) << TraceText().toStdString();
    EXPECT_TRUE(TraceText().contains(QStringLiteral("channel=0  getTemple fail__________________ week=%1 ").arg(failing)));
    std::map<std::string, std::vector<std::chrono::steady_clock::time_point>> asked;
    for (const auto& r : gate->Requests("getTemple")) asked[ServiceGate::Element(r.body, "week")].push_back(r.at);
    ASSERT_EQ(asked[week].size(), 2u);
    const auto pause = std::chrono::duration_cast<std::chrono::milliseconds>(asked[week][1] - asked[week][0]);
    EXPECT_GE(pause.count(), 9500);
    EXPECT_LE(pause.count(), 15000);
    for (const auto& [day, times] : asked) EXPECT_EQ(times.size(), day == week ? 2u : 1u) << day;
    EXPECT_EQ(ShowCount(), ExpectedShows());
}

TEST_F(WebSync, ExitWhileTheServiceKeepsFailingEndsWithinSeconds) {
    BoxAnswers boxes(IDYES);
    StartWithGate();
    gate->FailWhen([](const ServiceGate::Request& r) { return r.operation == "getTemple"; });
    HostWindow hostWindow;
    Open();
    ctrl->SetRecvMsgHWnd(&hostWindow);
    ASSERT_TRUE(PumpUntil([&] { return TraceText().contains("getTemple fail"); }, 20000));
    QElapsedTimer timer;
    timer.start();
    Click(2);
    EXPECT_LT(timer.elapsed(), 3000);
    ASSERT_FALSE(hostWindow.messages.empty());
    EXPECT_EQ(hostWindow.messages.back().msg, 1324u);
}

TEST_F(WebSync, LocalChangesReachThePlatformWithTheirKeys) {
    BoxAnswers boxes(IDOK);
    StartWithGate();
    Open();
    ASSERT_TRUE(PumpUntil([&] { return TraceText().contains("0 GetEncInfo end"); }, 30000));
    std::recursive_mutex lock;
    const ShowListFile file(ShowFile(), lock);
    ShowEntry custom;
    custom.name = "午间剧场";
    custom.start = "12:00:00";
    custom.end = "13:00:00";
    custom.cycle = "每星期二";
    custom.format = "WMV";
    custom.type = "4-电视剧";
    custom.updateKey = 1;
    file.Append(custom);
    // A custom show added and deleted before it reached the platform.
    ShowEntry dropped = custom;
    dropped.name = "临时节目";
    dropped.start = "14:00:00";
    file.Append(dropped);
    file.WriteBack(dropped, 3);
    ASSERT_TRUE(PublishAndWaitForRebuild());
    EXPECT_EQ(FindShow("午间剧场").cycle, "二") << TraceText().toStdString();
    EXPECT_NE(StatePage().find("<td>午间剧场</td><td>12:00:00</td><td>13:00:00</td><td>电视剧</td>"), std::string::npos);
    EXPECT_EQ(TraceCount("自定义节目添加后删除，不入库"), 1);
    EXPECT_EQ(StatePage().find("临时节目"), std::string::npos);

    ShowEntry stored = FindShow("午间剧场");
    ShowEntry edited = stored;
    edited.end = "13:30:00";
    ASSERT_TRUE(file.WriteBack(stored, edited, 2));
    ASSERT_TRUE(PublishAndWaitForRebuild());
    EXPECT_EQ(FindShow("午间剧场").end, "13:30:00");
    EXPECT_EQ(FindShow("午间剧场").updateKey, 0);
    EXPECT_NE(StatePage().find("<td>午间剧场</td><td>12:00:00</td><td>13:30:00</td>"), std::string::npos);

    ASSERT_TRUE(file.WriteBack(FindShow("午间剧场"), 3));
    ASSERT_TRUE(PublishAndWaitForRebuild());
    EXPECT_EQ(StatePage().find("午间剧场"), std::string::npos);
    EXPECT_TRUE(FindShow("午间剧场").name.isEmpty());

    std::vector<std::string> types;
    for (const auto& r : gate->Requests("insertChannel")) types.push_back(ServiceGate::Element(r.body, "type"));
    EXPECT_EQ(types, (std::vector<std::string>{"1", "3", "2", "3"}));
    EXPECT_EQ(TraceCount("节目更新到web失败"), 0);
}

// Today's template with thousands of programmes, half of them empty records, the other
// days' templates without a programme list or id, the channel record without its name,
// copyright and FTP list and with thousands of media servers: the rebuild takes what it
// can with the fields' defaults, and the next round with whole answers rebuilds the week.
TEST_F(WebSync, TemplatesAndChannelWithFieldsMissingOrThousandsOfEntries) {
    BoxAnswers boxes(IDOK);
    StartWithGate();
    const std::string today = std::to_string(QDate::currentDate().dayOfWeek());
    gate->RewriteAnswers([&](const ServiceGate::Request& r, std::string& answer) {
        if (r.operation == "getTemple" && ServiceGate::Element(r.body, "week") == today) {
            ReplaceInside(answer, "progList", Repeated(5000, [](int i) {
                              return i % 2 ? "<ENCProg><beginTime>08:00:00</beginTime><endTime>08:30:00</endTime>"
                                             "<pg_name>节目" + std::to_string(i) + "</pg_name></ENCProg>"
                                           : std::string("<ENCProg/>");
                          }));
        } else if (r.operation == "getTemple") {
            RemoveElement(answer, "id");
            RemoveElement(answer, "progList");
        } else if (r.operation == "bChannel") {
            RemoveElement(answer, "channelName");
            RemoveElement(answer, "copyright");
            RemoveElement(answer, "ftpList");
            ReplaceInside(answer, "mediaList", Repeated(3000, [](int) { return "<ENCMedia><ip>127.0.0.1</ip></ENCMedia>"; }));
        }
    });
    Open();
    ASSERT_TRUE(PumpUntil([&] { return TraceText().contains("0 GetEncInfo end"); }, 60000)) << TraceText().toStdString();
    ASSERT_EQ(ShowCount(), kMaxProgrammesPerDay);
    EXPECT_TRUE(TraceText().contains(QStringLiteral("holds 5000 programmes, %1 taken").arg(kMaxProgrammesPerDay)));
    EXPECT_EQ(TraceCount("0 路getTemple 节目数为0条"), 6);
    const ShowEntry empty = Show(1);
    EXPECT_EQ(empty.name, "");
    EXPECT_EQ(empty.type, "0-");
    EXPECT_EQ(empty.pgid, "0-101");
    EXPECT_EQ(empty.showId, "0");
    EXPECT_EQ(empty.cycle, kDays.mid(QDate::currentDate().dayOfWeek() - 1, 1));
    EXPECT_EQ(Show(2).name, "节目1");
    EXPECT_EQ(Show(2).start, "08:00:00");
    EXPECT_EQ(Web("WEBSET_0", "CHANNELID"), "101");
    EXPECT_EQ(Web("WEBSET_0", "CHANNELNAME"), "");
    EXPECT_EQ(Web("WEBSET", "ftpservercount"), "0");
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join("|").toStdString();

    gate->RewriteAnswers(nullptr);
    Click(202);
    ASSERT_TRUE(PumpUntil([&] { return TraceCount("0 GetEncInfo end") == 2; }, 30000)) << TraceText().toStdString();
    EXPECT_EQ(ShowCount(), ExpectedShows());
    EXPECT_EQ(Web("WEBSET_0", "CHANNELNAME"), "演示频道");
    EXPECT_EQ(Web("WEBSET", "ftpservercount"), "1");
}

// Thousands of categories, each without its id or its name: the add dialog lists them all
// with the defaults.
TEST_F(WebSync, CategoriesWithFieldsMissingOrThousandsOfEntries) {
    BoxAnswers boxes(IDOK);
    StartWithGate();
    gate->RewriteAnswers([](const ServiceGate::Request& r, std::string& answer) {
        if (r.operation != "getCTList") return;
        ReplaceInside(answer, "return", Repeated(4000, [](int i) {
                          return i % 2 ? "<ColumnType><typeName>类别" + std::to_string(i) + "</typeName></ColumnType>"
                                       : "<ColumnType><id>" + std::to_string(i) + "</id></ColumnType>";
                      }));
    });
    Open();
    Click(1034);
    ASSERT_NE(dialog->ShowPage()->AddDialog(), nullptr);
    auto* categories = ControlAs<QComboBox>(1067);
    ASSERT_NE(categories, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return categories->count() == 4000; }, 20000)) << categories->count();
    EXPECT_EQ(categories->itemText(0), "0-");
    EXPECT_EQ(categories->itemText(1), "0-类别1");
    EXPECT_EQ(categories->itemText(3998), "3998-");
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join("|").toStdString();
}

}  // namespace
