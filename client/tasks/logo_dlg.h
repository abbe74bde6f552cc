#pragma once
// "设置LOGO": the operator picks a small 24-bit bitmap and its distance from the video's top
// and left edges; OK keeps both in the logo file that the encoder's logo overlay reads.

#include <QByteArray>
#include <QDialog>
#include <QString>

class QLineEdit;
class LogoPreview;

class CLogoDlg : public QDialog {
public:
    // Opens on what the logo file holds, or empty when there is none.
    explicit CLogoDlg(QWidget* parent = nullptr);

    QString logoPath;      // the bitmap chosen with 浏览 (edit 1104)
    QByteArray logoBits;   // information header and pixel rows; empty when there is no bitmap
    int logoTop = 0;       // edit 1107, pixels, 0 to 9999
    int logoLeft = 0;      // edit 1108, pixels, 0 to 9999

    // Checks both distances, then writes the logo file; stays open with a message otherwise.
    void accept() override;

private:
    void Browse();
    // Takes the .bmp at `path` when it is a 24-bit bitmap without palette, under 128 x 128.
    void TakeBitmap(const QString& path);
    // Reads a distance edit into `value`; false (with the message shown) when it is no
    // whole number from 0 to 9999.
    bool ReadDistance(QLineEdit* edit, int& value);

    QLineEdit* pathEdit = nullptr;
    QLineEdit* topEdit = nullptr;
    QLineEdit* leftEdit = nullptr;
    LogoPreview* preview = nullptr;
};
