#pragma once
// The rights manager's objects: keys (seed, key ids, content keys), header (ids,
// licence address, key checksum, signature) and protect (a signed header and its key
// applied to an input file). Objects are made on a thread that has set the layer up
// (Initialize), as components are made on a thread that initialised COM.

#include "drm/content_protection.h"
#include "drm/results.h"

#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <optional>

namespace drm {

// Sets the layer up for the calling thread; each call wants one Uninitialize.
HRESULT Initialize();
void Uninitialize();

class CWMRMKeys {
public:
    HRESULT put_Seed(const QString& seed);
    HRESULT GenerateKeyID(QString* keyId);
    HRESULT put_KeyID(const QString& keyId);
    // The content key of the key id under the seed, as text.
    HRESULT GenerateKey(QString* key);

private:
    QString seed_;
    QString keyId_;
};

class CWMRMHeader {
public:
    HRESULT put_KeyID(const QString& keyId);
    HRESULT put_ContentID(const QString& contentId);
    HRESULT put_LicenseAcqURL(const QString& url);
    HRESULT AddAttribute(const QString& name, const QString& value);
    HRESULT SetCheckSum(const QString& key);
    HRESULT Sign(const QString& privateKey);
    HRESULT get_Header(QString* header);

private:
    QString keyId_;
    QString contentId_;
    QString licenceUrl_;
    QString checksum_;
    QList<QPair<QString, QString>> attributes_;
    QString signedHeader_;
};

class CWMRMProtect {
public:
    HRESULT put_Header(const QString& header);
    HRESULT put_Key(const QString& key);
    HRESULT put_V1KeyID(const QString& keyId);
    HRESULT put_InputFile(const QString& path);
    HRESULT ProtectFile(const QString& outputPath);
    // What ProtectFile applies, once header and key are given.
    std::optional<ContentProtection> Protection() const;

private:
    ContentProtection protection_;
    bool haveHeader_ = false;
    bool haveKey_ = false;
    QString inputFile_;
};

// Makes one object; CO_E_NOTINITIALIZED when the thread has not set the layer up.
HRESULT CreateInstance(std::unique_ptr<CWMRMHeader>* object);
HRESULT CreateInstance(std::unique_ptr<CWMRMProtect>* object);
HRESULT CreateInstance(std::unique_ptr<CWMRMKeys>* object);

}  // namespace drm
