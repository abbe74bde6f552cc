#include "client/shell/generated_name.h"

#include <cstdlib>
#include <ctime>

void SeedGeneratedNames() { std::srand(static_cast<unsigned>(std::time(nullptr))); }

QString GeneratedName(const QDateTime& now) {
    // Widened first: rand() near RAND_MAX (2^31 - 1 here) plus 10000 would overflow an int.
    return now.toString(QStringLiteral("yyyyMMddHHmmss")) + QString::number(static_cast<long long>(std::rand()) + 10000);
}
