#pragma once
// The scene dialog of the multi-source page: a scene's name and either a media file (with
// what plays after it ends) or a pair of free capture devices.

#include <QDialog>

class CTSource;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CSrcsetDlg : public QDialog {
    Q_OBJECT
public:
    // `streamType` 1 offers audio files only and needs no video device. With `editing`
    // the dialog starts from that scene.
    CSrcsetDlg(int streamType, const CTSource* editing, QWidget* parent = nullptr);

    QString SceneName() const;
    int IsFile() const;
    QString FilePath() const;
    QString VideoDevice() const;
    QString AudioDevice() const;
    int RollMode() const;

    // Sets the file path as the browse dialog would.
    void SetFilePath(const QString& path);

public slots:
    // Refuses an empty name, a file scene without a file and a device scene without devices.
    void accept() override;

private:
    void Browse();
    void ShowKind();

    int streamType_;
    QLineEdit* name_;
    QRadioButton* fileKind_;
    QRadioButton* deviceKind_;
    QLineEdit* file_;
    QPushButton* browse_;
    QComboBox* rollMode_;
    QComboBox* video_;
    QComboBox* audio_;
};
