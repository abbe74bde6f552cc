#pragma once
// Result codes of the rights-management layer: the COM-style values its callers test,
// and one code per way a protection step can fail.

#include <cstdint>

namespace drm {

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005);
inline constexpr HRESULT E_FILE_NOT_FOUND = static_cast<HRESULT>(0x80070002);
inline constexpr HRESULT E_WRITE_FAULT = static_cast<HRESULT>(0x8007001D);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);

// Keys, ids and headers.
inline constexpr HRESULT NS_E_DRM_INVALID_SEED = static_cast<HRESULT>(0xC00D2790);
inline constexpr HRESULT NS_E_DRM_INVALID_KID = static_cast<HRESULT>(0xC00D2791);
inline constexpr HRESULT NS_E_DRM_INVALID_KEY = static_cast<HRESULT>(0xC00D2792);
inline constexpr HRESULT NS_E_DRM_INVALID_SIGNING_KEY = static_cast<HRESULT>(0xC00D2793);
inline constexpr HRESULT NS_E_DRM_HEADER_INCOMPLETE = static_cast<HRESULT>(0xC00D2794);
inline constexpr HRESULT NS_E_DRM_INVALID_HEADER = static_cast<HRESULT>(0xC00D2795);
inline constexpr HRESULT NS_E_DRM_KEY_MISMATCH = static_cast<HRESULT>(0xC00D2796);
inline constexpr HRESULT NS_E_DRM_INVALID_CERTIFICATE = static_cast<HRESULT>(0xC00D2797);
inline constexpr HRESULT NS_E_DRM_CRYPTO_FAILURE = static_cast<HRESULT>(0xC00D2798);
// Profiles and their export files.
inline constexpr HRESULT NS_E_DRM_PROFILE_NOT_FOUND = static_cast<HRESULT>(0xC00D27A0);
inline constexpr HRESULT NS_E_DRM_BAD_PASSWORD = static_cast<HRESULT>(0xC00D27A1);
inline constexpr HRESULT NS_E_DRM_INVALID_EXPORT = static_cast<HRESULT>(0xC00D27A2);
// Licences.
inline constexpr HRESULT NS_E_DRM_LICENCE_REFUSED = static_cast<HRESULT>(0xC00D27B0);
inline constexpr HRESULT NS_E_DRM_INVALID_LICENCE = static_cast<HRESULT>(0xC00D27B1);
inline constexpr HRESULT NS_E_DRM_LICENCE_UNREACHABLE = static_cast<HRESULT>(0xC00D27B2);
// The media file.
inline constexpr HRESULT NS_E_DRM_NOT_ASF = static_cast<HRESULT>(0xC00D27C0);
inline constexpr HRESULT NS_E_DRM_ASF_TRUNCATED = static_cast<HRESULT>(0xC00D27C1);
inline constexpr HRESULT NS_E_DRM_ASF_NO_PACKETS = static_cast<HRESULT>(0xC00D27C2);
inline constexpr HRESULT NS_E_DRM_ASF_HEADER_TOO_LARGE = static_cast<HRESULT>(0xC00D27C3);
inline constexpr HRESULT NS_E_DRM_ASF_BAD_PACKET = static_cast<HRESULT>(0xC00D27C4);
inline constexpr HRESULT NS_E_DRM_ALREADY_PROTECTED = static_cast<HRESULT>(0xC00D27C5);
inline constexpr HRESULT NS_E_DRM_NOT_PROTECTED = static_cast<HRESULT>(0xC00D27C6);

inline bool Failed(HRESULT hr) { return hr < 0; }

// A short English name of the code, for tools and error texts.
const char* ResultText(HRESULT hr);

}  // namespace drm
