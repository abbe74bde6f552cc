#pragma once
// The wizards' first page: a new task, or one imported from a task configuration file of
// the wizard's kind, which the wizard loads into its pages as soon as it is chosen.

#include <QWizardPage>

class QLineEdit;
class QPushButton;
class QRadioButton;

class CFirstPg : public QWizardPage {
    Q_OBJECT
public:
    explicit CFirstPg(QWidget* parent = nullptr);

    bool IsImport() const;
    QString ImportPath() const;
    // Takes `path` as the file to import and loads it into the wizard's pages; a file that
    // cannot be read leaves the path empty. False then.
    bool ChooseImportFile(const QString& path);

    void initializePage() override;
    bool validatePage() override;

private:
    void Browse();

    QRadioButton* newTask_;
    QRadioButton* importTask_;
    QLineEdit* path_;
    QPushButton* browse_;
    QString filter_;
};
