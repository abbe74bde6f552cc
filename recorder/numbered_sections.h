#pragma once
// The recorder's files number their item sections ("SHOWLIST_3", "FTP_0", "0_FTP_2");
// a count key read from a broken file may point far beyond them.

#include <QString>

#include <vector>

// The numbers n of the sections named `prefix` followed by n, in rising order.
std::vector<int> NumberedSections(const QString& fileName, const QString& prefix);
// The highest of them; -1 for none.
int LastNumberedSection(const QString& fileName, const QString& prefix);
