#pragma once
// The account pane (dialog 147) in the left strip of the task list: the welcome caption,
// the account rows, and a tab with the page "在线咨询".

#include <QWidget>

class CReportList;
class CTabCtrlSSL;
class QLabel;
struct AccountInfo;

class CInfoDlg : public QWidget {
    Q_OBJECT
public:
    enum : int { kCaption = 1150, kAccountList = 1151, kTabs = 1152 };

    explicit CInfoDlg(QWidget* parent = nullptr);

    // Fills the caption and the rows from the signed-in account.
    void UpdateData();

    QString Caption() const;
    // The rows as (name, value) pairs, in order.
    QList<QPair<QString, QString>> Rows() const;

    // The texts of the pane for an account.
    static QString CaptionFor(const AccountInfo& account);
    static QList<QPair<QString, QString>> RowsFor(const AccountInfo& account);

private:
    QLabel* caption_ = nullptr;
    CReportList* list_ = nullptr;
    CTabCtrlSSL* tabs_ = nullptr;
};
