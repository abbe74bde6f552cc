#pragma once
// The multi-source wizard's quality page: the qualities of the task's stream type, and
// whether the show goes back to its first scene after the last.

#include <QWizardPage>

class QCheckBox;
class QComboBox;

class CProfilePg : public QWizardPage {
    Q_OBJECT
public:
    explicit CProfilePg(QWidget* parent = nullptr);

    QString VideoProfile() const;
    int Circle() const;
    void Load(int circle, const QString& videoProfile);

    void initializePage() override;
    bool validatePage() override;

private:
    QComboBox* profile_;
    QCheckBox* circle_;
    QString wanted_;
};
