#include "client/tasks/generated_name.h"

#include <cstdlib>
#include <ctime>

namespace {

QString FormatLocal(std::time_t when, const char* timeFormat) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, timeFormat, &local);
    return QString::fromLatin1(text, static_cast<qsizetype>(length));
}

int NumberSeededWith(std::time_t when) {
    std::srand(static_cast<unsigned>(when));
    // The generator's low 15 bits keep the numbers in the range names have always had.
    return (std::rand() & 0x7FFF) + 10000;
}

}  // namespace

QString LocalTimeText(const char* timeFormat) { return FormatLocal(std::time(nullptr), timeFormat); }

int SeededNumber() { return NumberSeededWith(std::time(nullptr)); }

QString TimeAndNumber(const char* timeFormat) {
    // One reading of the clock for both halves, so the number belongs to the time shown.
    const std::time_t now = std::time(nullptr);
    return FormatLocal(now, timeFormat) + QString::number(NumberSeededWith(now));
}
