// The logo dialog driven as an operator would: 浏览 through the real file dialog, the
// distance boxes, OK; and what lands in the logo file.

#include "client/tasks/logo_dlg.h"

#include "client/shell/message_box.h"
#include "client/widgets/find_control.h"
#include "file_dialog_script.h"
#include "platform/logo_file.h"
#include "tests/support/bmp_maker.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

int argc = 1;
char arg0[] = "logo_dlg_test";
char* argv[] = {arg0, nullptr};

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class LogoDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app = new QApplication(argc, argv); }
    static void TearDownTestSuite() { delete app; }

    void SetUp() override {
        // The logo file lives in the user's config folder: one of our own per test.
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        SetMessageBoxResponder([this](const MessageBoxRequest& request) {
            messages << request.text;
            return IDOK;
        });
    }
    void TearDown() override { SetMessageBoxResponder(nullptr); }

    QString Bitmap(const QString& name, const QByteArray& bytes) {
        const QString path = files.filePath(name);
        WriteBytes(path, bytes);
        return path;
    }
    struct Seen {
        QStringList titles, filters;
    };
    // Clicks 浏览 and picks `path` in the file dialog.
    static Seen Browse(CLogoDlg& dialog, const QString& path) {
        FileDialogScript script({path});
        QTest::mouseClick(FindControlAs<QPushButton>(&dialog, 1076), Qt::LeftButton);
        return {script.titles, script.filters};
    }
    static void Type(CLogoDlg& dialog, int id, const QString& text) {
        auto* edit = FindControlAs<QLineEdit>(&dialog, id);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    static void ClickOk(CLogoDlg& dialog) { QTest::mouseClick(FindControlAs<QPushButton>(&dialog, IDOK), Qt::LeftButton); }
    static QString Text(CLogoDlg& dialog, int id) { return FindControlAs<QLineEdit>(&dialog, id)->text(); }

    static QApplication* app;
    QTemporaryDir config, files;
    QStringList messages;
};
QApplication* LogoDialog::app = nullptr;

const QString kNotALogo = "LOGO必须是24位BMP位图，高宽都必须小于128！";
const QString kSaveFailed = "保存LOGO出错！";

}  // namespace

TEST_F(LogoDialog, MissingFileOpensEmptyAndOkWithoutBitmapIsRefused) {
    CLogoDlg dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "设置LOGO");
    EXPECT_TRUE(Text(dialog, 1104).isEmpty());
    EXPECT_TRUE(Text(dialog, 1107).isEmpty());
    EXPECT_TRUE(Text(dialog, 1108).isEmpty());
    EXPECT_TRUE(dialog.logoBits.isEmpty());
    ClickOk(dialog);
    EXPECT_EQ(messages, QStringList{kSaveFailed});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(QFile::exists(platform::LogoFilePath()));
}

TEST_F(LogoDialog, Accepts127SquareAndWritesTheFileAsLaidOut) {
    // Rows behind a gap and an image size of 0, as some writers leave them.
    const QByteArray source = bmp_maker::Make({.width = 127, .height = 127, .gap = 6, .red = 200});
    const QString path = Bitmap("标志.bmp", source);
    CLogoDlg dialog;
    dialog.show();
    const auto seen = Browse(dialog, path);
    ASSERT_EQ(seen.titles, QStringList{"选择LOGO"});
    EXPECT_EQ(seen.filters, QStringList{"24位BMP(*.bmp)"});
    EXPECT_TRUE(messages.isEmpty()) << messages.join(';').toStdString();
    EXPECT_EQ(Text(dialog, 1104), path);
    Type(dialog, 1107, "20");
    Type(dialog, 1108, "9999");
    ClickOk(dialog);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(';').toStdString();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.logoTop, 20);
    EXPECT_EQ(dialog.logoLeft, 9999);

    const int imageSize = 384 * 127;  // ((24 x 127 + 31) / 32) x 4 bytes a row
    QByteArray expected;
    auto put16 = [&expected](quint16 v) { expected.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto put32 = [&](quint32 v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    put16(0x4D42);
    put16(9999);  // left
    put16(20);    // top
    put16(0);
    put32(20 + 40 + imageSize);
    put16(0);
    put16(0);
    put32(60);
    QByteArray info = source.mid(14, 40);
    qToLittleEndian<quint32>(imageSize, reinterpret_cast<uchar*>(info.data()) + 20);
    expected += info;
    expected += source.mid(14 + 40 + 6);
    EXPECT_TRUE(FileBytes(platform::LogoFilePath()) == expected);

    // Opening again shows what was kept, and the picture.
    CLogoDlg again;
    again.resize(again.sizeHint());
    again.show();
    EXPECT_EQ(Text(again, 1107), "20");
    EXPECT_EQ(Text(again, 1108), "9999");
    EXPECT_EQ(again.logoBits, expected.mid(20));
    const QImage shown = FindControl(&again, 1105)->grab().toImage();
    const QColor centre = shown.pixelColor(shown.width() / 2, shown.height() / 2);
    EXPECT_EQ(centre, QColor(200, 0, 0));
}

TEST_F(LogoDialog, BitmapsWithLaterHeaderVersionsAreSavedInTheCommonForm) {
    const QByteArray v5 = bmp_maker::Make({.width = 3, .height = 2, .headerSize = 124, .green = 9});
    CLogoDlg dialog;
    dialog.show();
    Browse(dialog, Bitmap("v5.bmp", v5));
    ClickOk(dialog);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(';').toStdString();
    const QByteArray written = FileBytes(platform::LogoFilePath());
    ASSERT_EQ(written.size(), 20 + 40 + 2 * 12);
    EXPECT_EQ(qFromLittleEndian<quint32>(written.constData() + 20), 40u);
    EXPECT_EQ(written.mid(20 + 4, 12), v5.mid(14 + 4, 12)) << "width, height, planes, bits as they were";
    EXPECT_EQ(written.mid(60), v5.mid(14 + 124)) << "the rows as they were";
}

TEST_F(LogoDialog, RefusesLargeOrPalettedBitmapsWith186) {
    CLogoDlg dialog;
    dialog.show();
    const QString good = Bitmap("good.bmp", bmp_maker::Make({.width = 8, .height = 8}));
    Browse(dialog, good);
    ASSERT_TRUE(messages.isEmpty());
    const QByteArray kept = dialog.logoBits;

    for (const auto& [name, bmp] :
         {std::pair{"wide.bmp", bmp_maker::Bmp{.width = 128, .height = 64}},
          std::pair{"tall.bmp", bmp_maker::Bmp{.width = 10, .height = 128}},
          std::pair{"topdown.bmp", bmp_maker::Bmp{.width = 10, .height = -200}},
          std::pair{"palette.bmp", bmp_maker::Bmp{.width = 16, .height = 16, .bitsPerPixel = 8, .colorsUsed = 256}},
          std::pair{"palette24.bmp", bmp_maker::Bmp{.width = 16, .height = 16, .colorsUsed = 2}}}) {
        messages.clear();
        Browse(dialog, Bitmap(name, bmp_maker::Make(bmp)));
        EXPECT_EQ(messages, QStringList{kNotALogo}) << name;
        EXPECT_TRUE(Text(dialog, 1104).isEmpty()) << name;
        EXPECT_TRUE(dialog.logoPath.isEmpty()) << name;
        EXPECT_EQ(dialog.logoBits, kept) << "the earlier bitmap stays: " << name;
    }
}

TEST_F(LogoDialog, BitmapsWhoseHeadersLieAreRefusedWithoutHarm) {
    const QByteArray good = bmp_maker::Make({.width = 20, .height = 20});
    auto withField = [&good](int at, quint32 value) {
        QByteArray bytes = good;
        qToLittleEndian<quint32>(value, reinterpret_cast<uchar*>(bytes.data()) + at);
        return bytes;
    };
    CLogoDlg dialog;
    dialog.show();
    for (const auto& [name, bytes] : {
             std::pair{"longer-than-file.bmp", withField(2, good.size() + 1)},
             std::pair{"size-0xffffffff.bmp", withField(2, 0xFFFFFFFFu)},
             std::pair{"size-too-small.bmp", withField(2, 30)},
             std::pair{"rows-missing.bmp", withField(14 + 8, 100)},  // 100 rows claimed, 20 there
             std::pair{"offset-past-end.bmp", withField(10, good.size() + 40)},
             std::pair{"header-size-lies.bmp", withField(14, 4000)},
             std::pair{"truncated.bmp", good.left(good.size() / 2)},
             std::pair{"not-a-bmp.bmp", QByteArray("GIF89a") + QByteArray(200, 'x')},
             std::pair{"empty.bmp", QByteArray()},
         }) {
        messages.clear();
        Browse(dialog, Bitmap(name, bytes));
        EXPECT_EQ(messages, QStringList{kNotALogo}) << name;
        EXPECT_TRUE(dialog.logoBits.isEmpty()) << name;
    }
}

TEST_F(LogoDialog, DistancesOutsideTheRangeAreRefusedAndTheFileIsLeftAlone) {
    CLogoDlg dialog;
    dialog.show();
    Browse(dialog, Bitmap("a.bmp", bmp_maker::Make({.width = 4, .height = 4})));
    for (const QString& bad : {QString("10000"), QString("-1"), QString("12ab")}) {
        messages.clear();
        Type(dialog, 1107, bad);
        ClickOk(dialog);
        EXPECT_EQ(messages, QStringList{"请输入一个介于 0 和 9999 之间的整数。"}) << bad.toStdString();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), FindControl(&dialog, 1107));
        EXPECT_EQ(FindControlAs<QLineEdit>(&dialog, 1107)->selectedText(), bad) << "selected for retyping";
        EXPECT_FALSE(QFile::exists(platform::LogoFilePath()));
    }
    messages.clear();
    Type(dialog, 1107, "0");
    ClickOk(dialog);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(QFile::exists(platform::LogoFilePath()));
}

TEST_F(LogoDialog, GarbageLogoFileOpensAndOkRefusesToSaveIt) {
    QByteArray garbage("BM");
    garbage += QByteArray(18, '\x07');
    garbage += QByteArray::fromHex("28000000") + QByteArray(30, '\xFF');  // 40-byte header claiming huge rows
    WriteBytes(platform::LogoFilePath(), garbage);
    CLogoDlg dialog;
    dialog.show();
    EXPECT_EQ(Text(dialog, 1107), QString::number(0x0707));
    ClickOk(dialog);
    EXPECT_EQ(messages, QStringList{kSaveFailed});
    EXPECT_TRUE(FileBytes(platform::LogoFilePath()) == garbage);

    // The old 12-byte header form passes 浏览 but cannot be written.
    QByteArray core = QByteArray::fromHex("424d") + QByteArray(12, '\0');
    core += QByteArray::fromHex("0c000000" "0400" "0400" "0100" "1800") + QByteArray(4 * 12, '\x40');
    qToLittleEndian<quint32>(core.size(), reinterpret_cast<uchar*>(core.data()) + 2);
    qToLittleEndian<quint32>(26, reinterpret_cast<uchar*>(core.data()) + 10);
    messages.clear();
    Browse(dialog, Bitmap("core.bmp", core));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(';').toStdString();
    ClickOk(dialog);
    EXPECT_EQ(messages, QStringList{kSaveFailed});
}
