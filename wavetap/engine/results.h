#pragma once
// Result codes of the media engine, with the values the encoder's callers test.

#include <cstdint>

namespace wavetap::engine {

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
inline constexpr HRESULT E_PATH_NOT_FOUND = static_cast<HRESULT>(0x80070003);
inline constexpr HRESULT E_FILE_NOT_FOUND = static_cast<HRESULT>(0x80070002);
// No profile of that name in the collection.
inline constexpr HRESULT NS_E_PROFILE_NOT_FOUND = static_cast<HRESULT>(0xC00D1BB3);
// The device named in an input does not exist.
inline constexpr HRESULT NS_E_DEVICE_NOT_FOUND = static_cast<HRESULT>(0xC00D1B6A);
// The input is not a media file the engine can read.
inline constexpr HRESULT NS_E_INVALID_INPUT = static_cast<HRESULT>(0xC00D1B68);
// The run has no output (no archive file and no broadcast).
inline constexpr HRESULT NS_E_NO_OUTPUT = static_cast<HRESULT>(0xC00D1B85);
inline constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005);
// No connection to the media server (cannot reach it, or it was lost).
inline constexpr HRESULT NS_E_NOCONNECTION = static_cast<HRESULT>(0xC00D0005);

inline bool Failed(HRESULT hr) { return hr < 0; }

}  // namespace wavetap::engine
