#include "recorder/castora_record_ctrl.h"

#include "platform/code_page.h"
#include "recorder/com_identity.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_trace.h"
#include "recorder/vek_recorder_dlg.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <atomic>

namespace {

std::atomic<int> liveObjects{0};

using platform::VarType;

// A narrow string argument: bytes as they are, or wide text in the ANSI code page.
bool AnsiArgument(const QVariant& value, QByteArray* out) {
    if (value.metaType().id() == QMetaType::QByteArray) {
        *out = value.toByteArray();
        return true;
    }
    if (value.metaType().id() == QMetaType::QString) {
        *out = platform::ToAnsi(value.toString());
        return true;
    }
    return !value.isValid() ? (out->clear(), true) : false;
}

bool NumberArgument(const QVariant& value, qint64* out) {
    bool ok = false;
    *out = value.toLongLong(&ok);
    return ok;
}

}  // namespace

int CCastoraRecordOcxCtrl::LiveObjects() { return liveObjects; }

CVEKRecorderDlg* CCastoraRecordOcxCtrl::Dialog() const { return dialog_.data(); }

CCastoraRecordOcxCtrl::CCastoraRecordOcxCtrl() : dialog_(new CVEKRecorderDlg) { ++liveObjects; }

CCastoraRecordOcxCtrl::~CCastoraRecordOcxCtrl() {
    delete dialog_.data();
    delete window_.data();
    --liveObjects;
}

QWidget* CCastoraRecordOcxCtrl::CreateControlWindow(QWidget* parent) {
    if (window_ || !dialog_) return nullptr;
    auto* window = new QWidget(parent);
    window->setObjectName(QStringLiteral("CastoraRecordOcx"));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    RecorderTrace(QStringLiteral("CVekRecordCtrl OnCreate"));
    if (!dialog_->Create(window)) {
        delete window;
        return nullptr;
    }
    layout->addWidget(dialog_);
    Recorder().exitRequested = 0;
    window_ = window;
    return window;
}

QList<platform::DispatchMethod> CCastoraRecordOcxCtrl::Methods() const {
    return {
        {kSetUserId, QStringLiteral("SetUserId"), VarType::Short, {VarType::Long}},
        {kSetFtpInfo, QStringLiteral("SetFtpInfo"), VarType::Short,
         {VarType::AnsiString, VarType::AnsiString, VarType::AnsiString, VarType::Short, VarType::AnsiString}},
        {kSetRecvMsgHWnd, QStringLiteral("SetRecvMsgHWnd"), VarType::Empty, {VarType::Handle}},
    };
}

platform::HRESULT CCastoraRecordOcxCtrl::Invoke(int dispId, const QVariantList& args, QVariant* result) {
    QVariant answer;
    switch (dispId) {
    case kSetUserId: {
        qint64 id = 0;
        if (args.size() != 1) return platform::kDISP_E_BADPARAMCOUNT;
        if (!NumberArgument(args[0], &id)) return platform::kDISP_E_TYPEMISMATCH;
        answer = SetUserId(static_cast<long>(static_cast<qint32>(id)));
        break;
    }
    case kSetFtpInfo: {
        if (args.size() != 5) return platform::kDISP_E_BADPARAMCOUNT;
        QByteArray host, user, pass, path;
        qint64 port = 0;
        if (!AnsiArgument(args[0], &host) || !AnsiArgument(args[1], &user) || !AnsiArgument(args[2], &pass) ||
            !NumberArgument(args[3], &port) || !AnsiArgument(args[4], &path))
            return platform::kDISP_E_TYPEMISMATCH;
        answer = SetFtpInfo(host, user, pass, static_cast<short>(port), path);
        break;
    }
    case kSetRecvMsgHWnd: {
        if (args.size() != 1) return platform::kDISP_E_BADPARAMCOUNT;
        if (args[0].isValid() && !args[0].metaType().flags().testFlag(QMetaType::PointerToQObject))
            return platform::kDISP_E_TYPEMISMATCH;
        SetRecvMsgHWnd(args[0].value<QObject*>());
        break;
    }
    default:
        return platform::kDISP_E_MEMBERNOTFOUND;
    }
    if (result) *result = answer;
    return platform::kS_OK;
}

short CCastoraRecordOcxCtrl::SetUserId(long userId) {
    Recorder().userId = userId > 0 ? static_cast<int>(userId) : 0;
    return 0;
}

short CCastoraRecordOcxCtrl::SetFtpInfo(const QByteArray& host, const QByteArray& ftpUser, const QByteArray& ftpPass,
                                        short port, const QByteArray& path) {
    if (!dialog_) return 0;
    FtpAccount ftp = dialog_->Ftp();
    ftp.host = platform::FromAnsi(host);
    ftp.user = platform::FromAnsi(ftpUser);
    ftp.pass = platform::FromAnsi(ftpPass);
    ftp.port = port;
    ftp.path = platform::FromAnsi(path);
    dialog_->SetFtp(ftp);
    return 0;
}

void CCastoraRecordOcxCtrl::SetRecvMsgHWnd(QObject* window) {
    if (dialog_) dialog_->SetHostWindow(window);
}

CCastoraRecordOcxPropPage::CCastoraRecordOcxPropPage() { ++liveObjects; }
CCastoraRecordOcxPropPage::~CCastoraRecordOcxPropPage() { --liveObjects; }

QWidget* CCastoraRecordOcxPropPage::CreateControlWindow(QWidget* parent) {
    auto* page = new QWidget(parent);
    page->setObjectName(QStringLiteral("CastoraRecorPropPage"));
    page->setWindowTitle(recorder_identity::kPropertyPageCaption);
    auto* layout = new QVBoxLayout(page);
    auto* text = new QLabel(recorder_identity::kPropertyPageText, page);
    text->setWordWrap(true);
    layout->addWidget(text);
    return page;
}
