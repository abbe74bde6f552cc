#pragma once
// Comparing the running program's version with the one published in "update.txt".

#include <QString>

namespace upkeep {

enum class PublishedVersion {
    Newer,       // the only answer that leads to a download
    Older,
    Same,
    NotNumeric,  // a field of either text holds something other than the digits 0-9
};

// Splits both texts on "." (empty fields are skipped, as wcstok skips them) into at most
// four fields, most significant first; missing fields count as 0. Fields are compared as
// numbers of any length.
PublishedVersion ComparePublishedVersion(const QString& local, const QString& published);

// The version text of "update.txt" from its first bytes (GBK): the text up to the first
// NUL, without the blanks and line ends around it.
QString PublishedVersionText(const QByteArray& updateFile);

}  // namespace upkeep
