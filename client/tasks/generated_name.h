#pragma once
// Names made of the local time and a random number, as task ids, scene groups and
// saved files use them.

#include <QString>

// The local time formatted with the strftime-style `timeFormat`.
QString LocalTimeText(const char* timeFormat);

// rand() + 10000 in the range 10000..42767, the generator seeded with the current second
// just before, so two calls within the same second give the same number.
int SeededNumber();

// LocalTimeText(timeFormat) followed by SeededNumber() in decimal.
QString TimeAndNumber(const char* timeFormat);
