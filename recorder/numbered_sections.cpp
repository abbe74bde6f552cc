#include "recorder/numbered_sections.h"

#include "platform/ini_store.h"

#include <algorithm>

std::vector<int> NumberedSections(const QString& fileName, const QString& prefix) {
    std::vector<int> numbers;
    for (const QString& name : platform::GetPrivateProfileSectionNames(fileName)) {
        if (!name.startsWith(prefix, Qt::CaseInsensitive)) continue;
        bool ok = false;
        const int n = name.mid(prefix.size()).toInt(&ok);
        if (ok && n >= 0) numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

int LastNumberedSection(const QString& fileName, const QString& prefix) {
    const std::vector<int> numbers = NumberedSections(fileName, prefix);
    return numbers.empty() ? -1 : numbers.back();
}
