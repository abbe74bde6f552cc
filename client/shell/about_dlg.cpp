#include "client/shell/about_dlg.h"

#include "client/resources/artwork.h"
#include "client/widgets/find_control.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("关于 Castora"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(ArtworkPath("castora")).scaled(48, 48, Qt::KeepAspectRatio,
                                                                          Qt::SmoothTransformation));
    auto* version = new QLabel(VersionLine(), this);
    version->setObjectName(QStringLiteral("versionText"));
    auto* copyright = new QLabel(QStringLiteral("版权所有 (C) 2024"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    SetControlId(buttons->button(QDialogButtonBox::Ok), 1, QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(copyright);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(300, 120)));
}

QString CAboutDlg::VersionLine() {
    return QStringLiteral("Castora %1 版").arg(QStringLiteral(CASTORA_VERSION));
}
