#pragma once

#if defined(VEKENCODER_BUILDING)
#define VEKENCODER_EXPORT __attribute__((visibility("default")))
#else
#define VEKENCODER_EXPORT
#endif
