// FindControl finds controls by their number anywhere below a page.

#include "client/widgets/find_control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TEST(FindControl, FindsNumberedControlsAtAnyDepthAndNothingElse) {
    int argc = 1;
    char arg0[] = "find_control_test";
    char* argv[] = {arg0, nullptr};
    QApplication app(argc, argv);
    QWidget page;
    SetControlId(&page, 5);
    auto* inner = new QWidget(&page);
    auto* edit = new QLineEdit(inner);
    SetControlId(edit, 1001, "用户名");
    auto* button = new QPushButton("登录", inner);
    SetControlId(button, 1000);
    new QVBoxLayout(inner);

    EXPECT_EQ(FindControl(&page, 1001), edit);
    EXPECT_EQ(edit->accessibleName(), "用户名");
    EXPECT_EQ(FindControlAs<QPushButton>(&page, 1000), button);
    EXPECT_EQ(FindControlAs<QPushButton>(&page, 1001), nullptr);  // a line edit, not a button
    EXPECT_EQ(FindControl(&page, 5), &page);
    EXPECT_EQ(FindControl(&page, 9999), nullptr);
    EXPECT_EQ(FindControl(nullptr, 1000), nullptr);
}
