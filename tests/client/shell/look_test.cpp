// Skins and tints: which files are style sheets, how colours shift, and what a window
// looks like after a tint is taken back.

#include "client/shell/skin_manager.h"
#include "client/shell/style_sheet_text.h"
#include "tests/support/gui_test.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

QColor Shift(const QColor& c, int r, int g, int b) {
    return QColor(std::clamp(c.red() + r, 0, 255), std::clamp(c.green() + g, 0, 255), std::clamp(c.blue() + b, 0, 255),
                  c.alpha());
}

TEST(StyleSheetText, TellsStyleSheetsFromOtherFiles) {
    EXPECT_TRUE(IsStyleSheet("QWidget { color: #123456; }"));
    EXPECT_TRUE(IsStyleSheet("/* a skin */\nQMenuBar::item:selected { background: qlineargradient(x1:0, y1:0, x2:0, "
                             "y2:1, stop:0 #fff, stop:1 #ddd); border: 1px solid rgb(1, 2, 3) }\nQLabel{}"));
    EXPECT_FALSE(IsStyleSheet(""));
    EXPECT_FALSE(IsStyleSheet("just some text"));
    EXPECT_FALSE(IsStyleSheet("QWidget { color: red; "));        // no closing brace
    EXPECT_FALSE(IsStyleSheet("QWidget { color red; }"));        // no colon
    EXPECT_FALSE(IsStyleSheet("QWidget { { color: red; } }"));   // nested
    EXPECT_FALSE(IsStyleSheet("{ color: red; }"));               // no selector
    EXPECT_FALSE(IsStyleSheet("QWidget { color: red; } trailing"));
    EXPECT_FALSE(IsStyleSheet("/* never ends QWidget { color: red; }"));
    EXPECT_FALSE(IsStyleSheet(QString::fromLatin1("QWidget { color: red; }\0\x01\x02", 27)));
}

TEST(StyleSheetText, ShiftsEveryColourAndNothingElse) {
    const auto plusBlue = [](const QColor& c) { return Shift(c, 0, 0, 255); };
    EXPECT_EQ(FilterStyleSheetColors("QWidget { color: #102030; background: #fff; }", plusBlue),
              "QWidget { color: #1020ff; background: #ffffff; }");
    EXPECT_EQ(FilterStyleSheetColors("QLabel { color: rgb(10, 20, 30); border: 1px solid rgba(1,2,3, 50%) }", plusBlue),
              "QLabel { color: rgb(10, 20, 255); border: 1px solid rgba(1, 2, 255, 50%) }");
    EXPECT_EQ(FilterStyleSheetColors("QLabel { border: 2px solid black; font-family: Tan; background: transparent }",
                                     plusBlue),
              "QLabel { border: 2px solid #0000ff; font-family: Tan; background: transparent }");
    // Alpha stays; selectors and sizes stay.
    EXPECT_EQ(FilterStyleSheetColors("QMenu::item:selected { padding: 4px; color: #80102030 }", plusBlue),
              "QMenu::item:selected { padding: 4px; color: #801020ff }");
    const QString sheet = "QMenuBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfdff, stop:1 #d9e4f2); }";
    EXPECT_EQ(FilterStyleSheetColors(sheet, [](const QColor& c) { return c; }), sheet);
}

class Look : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test_support::App(); }
    void TearDown() override {
        CSkinManager& skins = CSkinManager::Instance();
        skins.RemoveColorFilters();
        skins.RedrawAll();
    }
    QString WriteFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static void SetTint(int r, int g, int b) {
        CSkinManager& skins = CSkinManager::Instance();
        skins.RemoveColorFilters();
        skins.AddColorFilter({r, g, b});
        skins.RedrawAll();
    }
    QTemporaryDir dir_;
};

TEST_F(Look, ShippedSkinsAreStyleSheetsAndBadFilesKeepTheLook) {
    const QString styles = QStringLiteral(CASTORA_BIN_DIR "/Styles/");
    for (const char* name : {"Vista.cjstyles", "Office2007.cjstyles", "WinXP.Royale.cjstyles", "WinXP.Luna.cjstyles",
                             "iTunesA.msstyles"}) {
        EXPECT_TRUE(CSkinManager::Instance().LoadSkin(styles + name)) << name;
        EXPECT_EQ(qApp->styleSheet().isEmpty(), false);
    }
    const QString current = qApp->styleSheet();
    EXPECT_FALSE(CSkinManager::Instance().LoadSkin(styles + "Missing.cjstyles"));
    EXPECT_FALSE(CSkinManager::Instance().LoadSkin(WriteFile("binary.cjstyles", QByteArray("MZ\x90\0\x03\0\0\0", 8))));
    EXPECT_FALSE(CSkinManager::Instance().LoadSkin(WriteFile("text.cjstyles", "not a style sheet at all")));
    EXPECT_FALSE(CSkinManager::Instance().LoadSkin(WriteFile("latin1.cjstyles", "QWidget { color: #fff; } /* \xe9 */")));
    EXPECT_EQ(qApp->styleSheet(), current);
}

TEST_F(Look, ATintShiftsThePaletteAndRestoringGivesTheSameImage) {
    ASSERT_TRUE(CSkinManager::Instance().LoadSkin(QStringLiteral(CASTORA_BIN_DIR "/Styles/WinXP.Luna.cjstyles")));
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("调色板")));
    layout->addWidget(new QPushButton(QStringLiteral("确定")));
    window.resize(240, 120);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QColor base = window.palette().color(QPalette::Window);
    const QImage untinted = window.grab().toImage();

    SetTint(0, 0, 255);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), Shift(base, 0, 0, 255));
    EXPECT_TRUE(qApp->styleSheet().contains("#ece9ff")) << "the skin's #ece9d8 shifted by blue 255";
    EXPECT_NE(window.grab().toImage(), untinted);

    SetTint(255, 0, 0);  // replaces the blue shift, does not add to it
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), Shift(base, 255, 0, 0));

    SetTint(0, 0, 0);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), base);
    EXPECT_EQ(window.grab().toImage(), untinted);
}

}  // namespace
