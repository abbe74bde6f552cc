#pragma once
// The program's own pictures, compiled in under :/castora/.

#include <QString>

// ":/castora/<name>.png"
QString ArtworkPath(const char* name);
