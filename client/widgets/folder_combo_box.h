#pragma once
// A folder chooser: a combo box listing the chosen folder and the folders above it, with
// the user's home at the top. The file list beside it follows the folder chosen here.

#include <QComboBox>

class CComboBoxFolder : public QComboBox {
    Q_OBJECT
public:
    explicit CComboBoxFolder(QWidget* parent = nullptr);

    // Starts at `startFolder` (0: the user's home folder) with a drop-down list of
    // `dropWidth` pixels at least.
    void Init(int startFolder, int dropWidth);
    // Goes to `path`, a folder under (or anywhere besides) the current one.
    void GotoSubPath(const QString& path);
    // Goes one folder up; nothing at the root.
    void GotoParent();
    // The folder now chosen, absolute and without a trailing separator (but the root).
    QString GetSelectedPath() const;

signals:
    // The chosen folder changed (by the operator or by the calls above).
    void dataChanged(const QString& folder);

private:
    void Show(const QString& folder);
    void FillEntries();

    QString folder_;
};
