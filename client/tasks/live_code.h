#pragma once
// The live code of a broadcast page: sixteen characters of random hex groups with the
// company id set into them, after the configured code base address.

#include <QString>

#include <functional>

// `random` returns numbers in 0..32767 (the C library's rand range).
QString BuildLiveCode(int companyId, const QString& codeBase, const std::function<int()>& random);
