#pragma once
// The multi-source wizard's output page: whether the show is also recorded, and into
// which file (by default a time-named file in the program's "save" folder).

#include <QWizardPage>

class QCheckBox;
class QLineEdit;
class QPushButton;

class COutputPg : public QWizardPage {
    Q_OBJECT
public:
    explicit COutputPg(QWidget* parent = nullptr);

    int IsRecord() const;
    QString OutputFile() const;
    void Load(int isRecord, const QString& outputFile);

    void initializePage() override;
    bool validatePage() override;

private:
    int StreamType() const;
    void Browse();

    QCheckBox* record_;
    QLineEdit* file_;
    QPushButton* browse_;
    QString defaultFile_;  // the last default offered; replaced when the stream type changes
};
