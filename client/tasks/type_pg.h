#pragma once
// The wizards' type page: stream type, logo, reconnection and live DRM.

#include <QWizardPage>

class QCheckBox;
class QComboBox;

class CTypePg : public QWizardPage {
    Q_OBJECT
public:
    explicit CTypePg(QWidget* parent = nullptr);

    int StreamType() const;  // 0 "视音频", 1 "音频"
    int CheckLogo() const;
    int Reconn() const;
    int IsLiveDrm() const;
    // Values from a task file; the page is then marked as loaded.
    void Load(int streamType, int checklogo, int reconn, int isLiveDrm);
    bool Loaded() const { return loaded_; }

    void initializePage() override;

signals:
    void streamTypeChanged(int streamType);

private:
    QComboBox* streamType_;
    QCheckBox* logo_;
    QCheckBox* reconn_;
    QCheckBox* drm_;
    bool loaded_ = false;
};
