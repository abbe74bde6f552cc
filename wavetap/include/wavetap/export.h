#pragma once

#if defined(WAVETAP_BUILDING)
#define WAVETAP_EXPORT __attribute__((visibility("default")))
#else
#define WAVETAP_EXPORT
#endif
