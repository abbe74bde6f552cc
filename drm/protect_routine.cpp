#include "drm/protect_routine.h"

#include "client/shell/trace_file.h"
#include "drm/rights_manager.h"

#include <memory>

using namespace drm;

namespace {

// The layer is set up for the routine and released at its end, whichever step ends it.
struct LayerSession {
    LayerSession() { Initialize(); }
    ~LayerSession() { Uninitialize(); }
};

// Ends the routine with the step's result after tracing its text.
bool StepFailed(HRESULT hr, const char* text) {
    if (!Failed(hr)) return false;
    AppendDrmTrace(QString::fromUtf8(text));
    return true;
}

}  // namespace

HRESULT ProtectMediaFile(const QString& seed, const QString& privateKey, const QString& licenceUrl,
                         const QString& inputPath, const QString& outputPath, QString* keyId) {
    LayerSession session;
    std::unique_ptr<CWMRMHeader> header;
    std::unique_ptr<CWMRMProtect> protect;
    std::unique_ptr<CWMRMKeys> keys;
    HRESULT hr = CreateInstance(&header);
    if (StepFailed(hr, "CoCreateInstance(CLSID_WMRMHeader失败！")) return hr;
    hr = CreateInstance(&protect);
    if (StepFailed(hr, "CoCreateInstance(CLSID_WMRMProtect失败！")) return hr;
    hr = CreateInstance(&keys);
    if (StepFailed(hr, "CoCreateInstance(CLSID_WMRMKeys失败！")) return hr;

    QString kid;
    hr = keys->put_Seed(seed);
    if (StepFailed(hr, "put_Seed失败！")) return hr;
    hr = keys->GenerateKeyID(&kid);
    if (StepFailed(hr, "GenerateKeyID失败！")) return hr;
    hr = keys->put_KeyID(kid);
    if (StepFailed(hr, "put_KeyID失败！")) return hr;
    hr = header->put_KeyID(kid);
    if (StepFailed(hr, "put_KeyID2失败！")) return hr;

    QString contentId;
    hr = keys->GenerateKeyID(&contentId);
    if (StepFailed(hr, "GenerateKeyID失败！")) return hr;
    hr = header->put_ContentID(contentId);
    if (StepFailed(hr, "put_ContentID失败！")) return hr;
    if (keyId) *keyId = kid;

    header->put_LicenseAcqURL(licenceUrl);

    QString key;
    hr = keys->GenerateKey(&key);
    if (StepFailed(hr, "GenerateKey失败！")) return hr;
    hr = header->SetCheckSum(key);
    if (StepFailed(hr, "SetCheckSum失败！")) return hr;

    QString signedHeader;
    hr = header->Sign(privateKey);
    if (StepFailed(hr, "Sign失败！")) return hr;
    hr = header->get_Header(&signedHeader);
    if (StepFailed(hr, "get_Header失败！")) return hr;

    hr = protect->put_Header(signedHeader);
    if (StepFailed(hr, "put_Header失败！")) return hr;
    hr = protect->put_Key(key);
    if (StepFailed(hr, "put_Key失败！")) return hr;
    hr = protect->put_V1KeyID(kid);
    if (StepFailed(hr, "put_V1KeyID失败！")) return hr;
    hr = protect->put_InputFile(inputPath);
    if (StepFailed(hr, "put_InputFile失败！")) return hr;
    hr = protect->ProtectFile(outputPath);
    if (StepFailed(hr, "ProtectFile失败！")) return hr;
    return S_OK;
}
