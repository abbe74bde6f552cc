#include "client/tasks/logo_dlg.h"

#include "client/shell/message_box.h"
#include "client/tasks/logo_preview.h"
#include "client/widgets/find_control.h"
#include "platform/logo_file.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>

namespace {

constexpr int kLargestSide = 128;  // width and height must stay below
constexpr int kLargestDistance = 9999;

// What the logo may be: 24 bits per pixel, no palette, uncompressed, both sides under 128,
// and every row of it present.
bool IsLogoBitmap(const QByteArray& bits) {
    const auto info = platform::ParseBitmapInfo(bits);
    if (!info || info->bitCount != 24 || info->colorsUsed != 0 || info->compression != 0) return false;
    if (info->width <= 0 || info->width >= kLargestSide || info->height == 0 ||
        std::abs(info->height) >= kLargestSide)
        return false;
    const qint64 pixelBytes = platform::BitmapPixelBytes(*info);
    return pixelBytes >= 0 && bits.size() - qint64{info->headerSize} >= pixelBytes;
}

QLineEdit* DistanceEdit(QWidget* parent, int id, const QString& label) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(9);
    SetControlId(edit, id, label);
    return edit;
}

}  // namespace

CLogoDlg::CLogoDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("设置LOGO"));

    pathEdit = new QLineEdit(this);
    pathEdit->setReadOnly(true);
    pathEdit->setMinimumWidth(260);
    SetControlId(pathEdit, 1104, QStringLiteral("LOGO文件"));
    auto* browse = new QPushButton(QStringLiteral("浏览"), this);
    SetControlId(browse, 1076, QStringLiteral("浏览"));
    preview = new LogoPreview(this);
    preview->setFixedSize(128, 128);
    SetControlId(preview, 1105, QStringLiteral("LOGO预览"));
    const QString topLabel = QStringLiteral("LOGO距视频顶边沿距离：");
    const QString leftLabel = QStringLiteral("LOGO距视频左边沿距离：");
    topEdit = DistanceEdit(this, 1107, topLabel);
    leftEdit = DistanceEdit(this, 1108, leftLabel);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    SetControlId(buttons->button(QDialogButtonBox::Ok), IDOK, QStringLiteral("确定"));
    SetControlId(buttons->button(QDialogButtonBox::Cancel), IDCANCEL, QStringLiteral("取消"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("LOGO文件："), this), 0, 0);
    grid->addWidget(pathEdit, 0, 1);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(preview, 1, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(topLabel, this), 2, 0);
    grid->addWidget(topEdit, 2, 1);
    grid->addWidget(new QLabel(leftLabel, this), 3, 0);
    grid->addWidget(leftEdit, 3, 1);
    grid->addWidget(buttons, 4, 0, 1, 3);

    connect(browse, &QPushButton::clicked, this, &CLogoDlg::Browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLogoDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLogoDlg::reject);

    if (const auto logo = platform::ReadLogoFile(platform::LogoFilePath())) {
        logoLeft = logo->left;
        logoTop = logo->top;
        logoBits = logo->bits;
        topEdit->setText(QString::number(logoTop));
        leftEdit->setText(QString::number(logoLeft));
        preview->SetBits(logoBits);
    }
}

void CLogoDlg::Browse() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("选择LOGO"), QString(),
                                                      QStringLiteral("24位BMP(*.bmp)"), nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
    TakeBitmap(path);
}

void CLogoDlg::TakeBitmap(const QString& path) {
    const auto bits = platform::ReadBmpFile(path);
    if (!bits || !IsLogoBitmap(*bits)) {
        logoPath.clear();
        pathEdit->clear();
        ShowMessage(QStringLiteral("LOGO必须是24位BMP位图，高宽都必须小于128！"), this);
        return;
    }
    logoPath = path;
    pathEdit->setText(path);
    // The logo file holds the common header form; later versions are cut down to it.
    logoBits = platform::WithCommonInfoHeader(*bits);
    preview->SetBits(logoBits);
}

bool CLogoDlg::ReadDistance(QLineEdit* edit, int& value) {
    // An empty box is the distance 0, as the dialog opens without a logo file.
    const QString text = edit->text().trimmed();
    bool ok = true;
    const int number = text.isEmpty() ? 0 : text.toInt(&ok);
    if (ok && number >= 0 && number <= kLargestDistance) {
        value = number;
        return true;
    }
    ShowMessage(QStringLiteral("请输入一个介于 0 和 %1 之间的整数。").arg(kLargestDistance), this);
    edit->setFocus();
    edit->selectAll();
    return false;
}

void CLogoDlg::accept() {
    if (!ReadDistance(topEdit, logoTop) || !ReadDistance(leftEdit, logoLeft)) return;
    if (logoBits.isEmpty() || !platform::WriteLogoFile(platform::LogoFilePath(), logoLeft, logoTop, logoBits)) {
        ShowMessage(QStringLiteral("保存LOGO出错！"), this);
        return;
    }
    QDialog::accept();
}
