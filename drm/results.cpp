#include "drm/results.h"

namespace drm {

const char* ResultText(HRESULT hr) {
    switch (static_cast<std::uint32_t>(hr)) {
    case 0: return "success";
    case 0x80004005: return "unspecified failure";
    case 0x80004003: return "missing output argument";
    case 0x80070057: return "invalid argument";
    case 0x8000FFFF: return "call out of order";
    case 0x80070005: return "access denied";
    case 0x80070002: return "file not found";
    case 0x8007001D: return "cannot write the output";
    case 0x800401F0: return "the rights layer is not set up on this thread";
    case 0x80040154: return "class not registered";
    case 0xC00D2790: return "invalid key seed";
    case 0xC00D2791: return "invalid key id";
    case 0xC00D2792: return "invalid content key";
    case 0xC00D2793: return "invalid signing private key";
    case 0xC00D2794: return "the rights header is incomplete";
    case 0xC00D2795: return "invalid rights header or signature";
    case 0xC00D2796: return "the key does not match the header's checksum";
    case 0xC00D2797: return "invalid certificate";
    case 0xC00D2798: return "cryptographic failure";
    case 0xC00D27A0: return "no DRM profile with that id";
    case 0xC00D27A1: return "wrong password";
    case 0xC00D27A2: return "not a DRM profile export";
    case 0xC00D27B0: return "licence refused";
    case 0xC00D27B1: return "the licence answer is not a licence for this file";
    case 0xC00D27B2: return "the licence address cannot be reached";
    case 0xC00D27C0: return "not an ASF file";
    case 0xC00D27C1: return "the ASF file is truncated";
    case 0xC00D27C2: return "the ASF file has no data packets";
    case 0xC00D27C3: return "the ASF header is too large";
    case 0xC00D27C4: return "an ASF data packet is malformed";
    case 0xC00D27C5: return "the file is already protected";
    case 0xC00D27C6: return "the file is not protected";
    default: return "failure";
    }
}

}  // namespace drm
