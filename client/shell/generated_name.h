#pragma once
// Names the client makes for uploaded and protected files: the local time
// "%Y%m%d%H%M%S" followed by rand() + 10000.

#include <QDateTime>
#include <QString>

// Seeds the random generator from the current time. A run seeds once, before its first
// name: seeding again for every name would give two files of the same second one name.
void SeedGeneratedNames();

QString GeneratedName(const QDateTime& now = QDateTime::currentDateTime());
