// Saving a task file through the real save dialog, with the replace question.

#include "client/tasks/task_file_dialog.h"

#include "client/shell/message_box.h"
#include "client/tasks/task_kind.h"
#include "file_dialog_script.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

int argc = 1;
char arg0[] = "task_file_dialog_test";
char* argv[] = {arg0, nullptr};

}  // namespace

TEST(TaskFileDialog, ExistingFileIsReplacedOnlyAfterOkAndCancelAsksAgain) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString existing = dir.filePath("old.tft");
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[TASK]\n");
    }
    QStringList questions;
    QList<int> replies{IDCANCEL, IDOK};
    SetMessageBoxResponder([&](const MessageBoxRequest& request) {
        questions << request.text + "|" + request.caption;
        return replies.takeFirst();
    });

    {
        FileDialogScript script({existing, existing});
        const QString path = AskTaskFileSavePath(nullptr, TASK_FILECAST, dir.path());
        EXPECT_EQ(path, existing);
        ASSERT_EQ(script.titles.size(), 2) << "Cancel on the question shows the dialog again";
        EXPECT_EQ(script.titles[0], "保存任务配置文件");
        EXPECT_TRUE(QRegularExpression("/\\d{14}\\.tft$").match(script.proposals[0]).hasMatch())
            << script.proposals[0].toStdString();
        EXPECT_EQ(script.filters[0], "文件直播任务配置文件 (*.tft)");
    }
    EXPECT_EQ(questions, (QStringList{"该配置文件已经存在，是否替换？|保存任务配置文件",
                                      "该配置文件已经存在，是否替换？|保存任务配置文件"}));

    {
        // A new name without extension gets the kind's; nothing is asked.
        FileDialogScript script({dir.filePath("新任务")});
        EXPECT_EQ(AskTaskFileSavePath(nullptr, TASK_MULTICAST, dir.path()), dir.filePath("新任务.tmt"));
    }
    {
        FileDialogScript script({QString()});
        EXPECT_TRUE(AskTaskFileSavePath(nullptr, TASK_FILECAST, dir.path()).isEmpty());
    }
    EXPECT_EQ(questions.size(), 2);
    SetMessageBoxResponder(nullptr);
}
