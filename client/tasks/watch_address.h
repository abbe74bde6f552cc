#pragma once
// The watch-address rows of the encoder pages: a preview button that opens the field's
// address with the desktop's player and a copy button that puts it on the clipboard.

#include <QString>

class QLineEdit;
class QPushButton;
class QWidget;

// Preview: refuses an empty field with `emptyMessage`, else opens the trimmed text.
// Copy (may be null): the text to the clipboard and "已复制" on the button for a moment.
void BindWatchAddress(QLineEdit* field, QPushButton* preview, QPushButton* copy, const QString& emptyMessage);

// Opens `address` (trimmed) with the desktop's player; shows `emptyMessage` when empty.
void PlayWatchAddress(const QString& address, const QString& emptyMessage, QWidget* parent);

inline const QString kNoWatchAddress = QStringLiteral("请先生成收看地址");
inline const QString kNoCodeAddress = QStringLiteral("请先生成获取地址");
inline const QString kCopiedCaption = QStringLiteral("已复制");
