// The ordinary controls, driven as an operator drives them.

#include "client/widgets/group_box.h"
#include "client/widgets/image_button.h"
#include "client/widgets/play_address_edit.h"
#include "client/widgets/report_list.h"
#include "client/widgets/resizable_page.h"
#include "client/widgets/tab_pages.h"
#include "client/widgets/window_handle.h"
#include "tests/support/gui_test.h"
#include "tests/support/url_catcher.h"

#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class Controls : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test_support::App(); }
};

TEST_F(Controls, ImageButtonClicksLikeAButtonAndShowsItsLooks) {
    QPixmap strip(40, 10);
    strip.fill(Qt::black);
    {
        QPainter p(&strip);
        p.fillRect(0, 0, 10, 10, Qt::red);      // normal
        p.fillRect(10, 0, 10, 10, Qt::green);   // under the mouse
        p.fillRect(20, 0, 10, 10, Qt::blue);    // pressed
        p.fillRect(30, 0, 10, 10, Qt::gray);    // disabled
    }
    QWidget window;
    auto* button = new CImageButton(QString(), &window);
    button->SetImages(strip);
    button->setGeometry(0, 0, 40, 20);
    window.resize(120, 60);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicks, 2);

    EXPECT_EQ(button->grab().toImage().pixelColor(20, 2), QColor(Qt::green)) << "the mouse is over it";
    QTest::mouseMove(&window, QPoint(100, 50));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_EQ(button->grab().toImage().pixelColor(20, 2), QColor(Qt::red));
    button->setEnabled(false);
    EXPECT_EQ(button->grab().toImage().pixelColor(20, 2), QColor(Qt::gray));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 2) << "a disabled button does nothing";
}

TEST_F(Controls, ReportListKeepsRowsChecksAndTexts) {
    CReportList list;
    list.SetCheckBoxes(true);
    EXPECT_EQ(list.InsertColumn("文件", 120), 0);
    EXPECT_EQ(list.InsertColumn("大小"), 1);
    EXPECT_EQ(list.InsertItem(0, "b.wmv"), 0);
    EXPECT_EQ(list.InsertItem(0, "a.wmv"), 0);
    EXPECT_EQ(list.InsertItem(99, "c.wmv"), 2);
    EXPECT_TRUE(list.SetItemText(1, 1, "2M"));
    EXPECT_FALSE(list.SetItemText(5, 1, "x"));
    EXPECT_FALSE(list.SetItemText(0, 7, "x"));
    EXPECT_EQ(list.GetItemText(1, 0), "b.wmv");
    EXPECT_EQ(list.GetItemText(1, 1), "2M");
    EXPECT_EQ(list.GetItemCount(), 3);

    std::vector<std::pair<int, bool>> changes;
    QObject::connect(&list, &CReportList::checkChanged, [&](int row, bool on) { changes.emplace_back(row, on); });
    EXPECT_TRUE(list.SetCheck(2, true));
    EXPECT_TRUE(list.GetCheck(2));
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_EQ(changes, (std::vector<std::pair<int, bool>>{{2, true}}));

    list.resize(300, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    // The operator ticks the first row's box with the space bar.
    EXPECT_TRUE(list.SelectRow(0));
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_EQ(list.GetSelectedRow(), 0);

    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_FALSE(list.DeleteItem(5));
    EXPECT_EQ(list.GetItemText(0, 0), "b.wmv");
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetSelectedRow(), -1);
}

TEST_F(Controls, TabPagesAreChildrenAndGoWithTheirTab) {
    CTabCtrlSSL tabs;
    QPointer<QWidget> first = new QLabel("1");
    QPointer<QWidget> second = new QLabel("2");
    EXPECT_EQ(tabs.AddSSLPage("现场直播", first), 0);
    EXPECT_EQ(tabs.AddSSLPage("文件上传", second), 1);
    EXPECT_TRUE(tabs.isAncestorOf(first));
    EXPECT_EQ(tabs.GetSSLPage(1), second);
    EXPECT_TRUE(tabs.RemoveSSLPage(0));
    EXPECT_FALSE(tabs.RemoveSSLPage(3));
    EXPECT_EQ(tabs.GetSSLPageCount(), 1);
    EXPECT_EQ(tabs.tabText(0), "文件上传");
    test_support::WaitFor([&] { return first.isNull(); }, 1000);
    EXPECT_TRUE(first.isNull()) << "the removed page is deleted";
}

TEST_F(Controls, TabPageLargerThanItsTabScrollsInsteadOfBeingCut) {
    CTabCtrlSSL tabs;
    auto* page = new CResizablePage(QSize(600, 500));
    auto* close = new QPushButton("关闭");
    page->Place(close, QRect(500, 460, 90, 26), kBottomRight, kBottomRight);
    tabs.AddSSLPage("本地录制", page);
    tabs.resize(400, 300);
    tabs.show();
    ASSERT_TRUE(test_support::WaitFor([&] { return tabs.isVisible(); }, 1000));
    QApplication::processEvents();

    EXPECT_GE(page->width(), 600);
    EXPECT_GE(page->height(), 500);
    EXPECT_EQ(close->geometry(), QRect(500, 460, 90, 26)) << "the controls keep their design places";
    auto* scroll = qobject_cast<QScrollArea*>(tabs.widget(0));
    ASSERT_NE(scroll, nullptr);
    ASSERT_TRUE(scroll->verticalScrollBar()->isVisible());
    ASSERT_TRUE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(close->visibleRegion().isEmpty()) << "out of view before scrolling";
    scroll->ensureWidgetVisible(close);
    QApplication::processEvents();
    EXPECT_FALSE(close->visibleRegion().isEmpty()) << "scrolling reaches the bottom-right control";
    EXPECT_EQ(tabs.IndexOfSSLPage(page), 0);
    EXPECT_EQ(tabs.IndexOfSSLPage(close), -1);

    // A tab larger than the design size stretches the page without scroll bars.
    tabs.resize(900, 800);
    QApplication::processEvents();
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    EXPECT_GT(page->height(), 500);
    EXPECT_GT(close->geometry().bottom(), 486) << "an anchored control follows the page";
}

TEST_F(Controls, ResizablePageMovesAndStretchesAnchoredControls) {
    CResizablePage page(QSize(400, 300));
    auto* fixed = new QPushButton("fixed");
    auto* right = new QPushButton("right");
    auto* stretched = new QLineEdit;
    auto* bottomRight = new QPushButton("ok");
    page.Place(fixed, QRect(10, 10, 80, 24));
    page.Place(right, QRect(310, 10, 80, 24), kTopRight, kTopRight);
    page.Place(stretched, QRect(10, 50, 380, 24), kTopLeft, kTopRight);
    page.Place(bottomRight, QRect(310, 266, 80, 24), kBottomRight, kBottomRight);

    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.resize(600, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(fixed->geometry(), QRect(10, 10, 80, 24));
    EXPECT_EQ(right->geometry(), QRect(510, 10, 80, 24));
    EXPECT_EQ(stretched->geometry(), QRect(10, 50, 580, 24));
    EXPECT_EQ(bottomRight->geometry(), QRect(510, 466, 80, 24));

    page.resize(200, 100);  // below the design size the design places hold
    EXPECT_EQ(right->geometry(), QRect(310, 10, 80, 24));
}

TEST_F(Controls, PlayAddressEditHandsItsTextToTheDesktop) {
    test_support::UrlCatcher catcher("mms");
    CPlayAddressEdit edit;
    edit.setText("mms://192.0.2.7:9100");
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QTest::keyClick(&edit, Qt::Key_Return, Qt::ControlModifier);
    QTest::mouseDClick(&edit, Qt::LeftButton);
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0].toString(), "mms://192.0.2.7:9100");
    edit.clear();
    EXPECT_FALSE(edit.Play());
}

TEST_F(Controls, GroupBoxDrawsItsTitle) {
    CDrawnGroupBox box("调色板");
    box.resize(200, 100);
    EXPECT_EQ(box.accessibleName(), "调色板");
    EXPECT_TRUE(box.ContentsArea().top() > 0);
    const QImage image = box.grab().toImage();
    // The frame's edge is drawn in the palette's mid colour somewhere down the left side.
    bool edge = false;
    for (int x = 0; x < 3 && !edge; ++x) edge = image.pixelColor(x, 50) != image.pixelColor(100, 50);
    EXPECT_TRUE(edge);
}

TEST_F(Controls, WindowHandleDeliversPostedAndSentMessagesOnItsThread) {
    QWidget owner;
    std::vector<unsigned> seen;
    auto* handle = new CWindowHandle(&owner, [&](unsigned msg, platform::WPARAM wParam, platform::LPARAM) {
        seen.push_back(msg);
        EXPECT_EQ(QThread::currentThread(), owner.thread());
        return static_cast<platform::LRESULT>(wParam * 2);
    });
    QThread worker;
    platform::LRESULT sent = 0;
    QObject::connect(&worker, &QThread::started, [&] {
        platform::PostMessage(handle, 1225, 1, 0);
        sent = platform::SendMessage(handle, 1324, 21, 0);
        worker.quit();
    });
    worker.start();
    test_support::WaitFor([&] { return worker.isFinished(); });
    worker.wait();
    QCoreApplication::processEvents();
    EXPECT_EQ(sent, 42);
    EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
