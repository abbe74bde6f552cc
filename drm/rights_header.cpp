#include "drm/rights_header.h"

#include "drm/content_key.h"
#include "drm/signing_key.h"

#include <QMap>
#include <QXmlStreamReader>

namespace drm {

namespace {

constexpr char kCipherName[] = "AES-128-CTR";
const QString kDataOpen = QStringLiteral("<DATA>");
const QString kDataClose = QStringLiteral("</DATA>");
const QString kDataTag = QStringLiteral("DATA");
const QString kSignatureTag = QStringLiteral("SIGNATURE");

QString Element(const QString& name, const QString& value) {
    return "<" + name + ">" + value.toHtmlEscaped() + "</" + name + ">";
}

std::optional<QByteArray> Base64(const QString& text) {
    const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty()) return std::nullopt;
    return decoded.decoded;
}

}  // namespace

std::optional<QString> BuildSignedHeader(const RightsHeaderData& data, const SigningKey& key) {
    QString signedText = kDataOpen + Element("CIPHER", kCipherName) + Element("KID", data.keyId) +
                         Element("CID", data.contentId) + Element("LAINFO", data.licenceUrl) +
                         Element("CHECKSUM", data.checksum);
    for (const auto& [name, value] : data.attributes)
        signedText += "<ATTRIBUTE name=\"" + name.toHtmlEscaped() + "\">" + value.toHtmlEscaped() + "</ATTRIBUTE>";
    signedText += kDataClose;
    const QByteArray signature = key.Sign(signedText.toUtf8());
    const QByteArray publicKey = key.PublicKeyDer();
    if (signature.isEmpty() || publicKey.isEmpty()) return std::nullopt;
    return "<WRMHEADER version=\"2.0.0.0\">" + signedText +
           "<SIGNATURE><HASHALGORITHM type=\"SHA256\"></HASHALGORITHM><SIGNALGORITHM type=\"ECDSA\"></SIGNALGORITHM>" +
           Element("PUBKEY", QString::fromLatin1(publicKey.toBase64())) +
           Element("VALUE", QString::fromLatin1(signature.toBase64())) + "</SIGNATURE></WRMHEADER>";
}

std::optional<RightsHeader> ParseRightsHeader(const QString& text) {
    if (text.size() > kMaxRightsHeaderLength) return std::nullopt;
    const qsizetype open = text.indexOf(kDataOpen);
    const qsizetype close = text.indexOf(kDataClose);
    if (open < 0 || close < open || text.indexOf(kDataOpen, open + 1) >= 0 || text.indexOf(kDataClose, close + 1) >= 0)
        return std::nullopt;
    RightsHeader header;
    header.signedText = text.mid(open, close + kDataClose.size() - open);

    // Fields count only in their own group, and only once: the signature covers DATA alone.
    QXmlStreamReader xml(text);
    enum class Group { None, Data, Signature } group = Group::None;
    QMap<QString, QString> fields;
    bool root = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && (xml.name() == kDataTag || xml.name() == kSignatureTag)) {
            group = Group::None;
            continue;
        }
        if (token != QXmlStreamReader::StartElement) continue;
        const QString name = xml.name().toString();
        if (!root) {
            if (name != "WRMHEADER") return std::nullopt;
            root = true;
            continue;
        }
        if (name == kDataTag || name == kSignatureTag) {
            if (group != Group::None) return std::nullopt;
            group = name == kDataTag ? Group::Data : Group::Signature;
            continue;
        }
        if (group == Group::Data && name == "ATTRIBUTE") {
            const QString attribute = xml.attributes().value("name").toString();
            header.data.attributes.append({attribute, xml.readElementText(QXmlStreamReader::SkipChildElements)});
            continue;
        }
        const QString value = xml.readElementText(QXmlStreamReader::SkipChildElements);
        const QString key = (group == Group::Data ? "DATA/" : group == Group::Signature ? "SIGNATURE/" : "/") + name;
        if (fields.contains(key)) return std::nullopt;
        fields.insert(key, value);
    }
    if (xml.hasError() || !root) return std::nullopt;
    header.data.keyId = fields.value("DATA/KID");
    header.data.contentId = fields.value("DATA/CID");
    header.data.licenceUrl = fields.value("DATA/LAINFO");
    header.data.checksum = fields.value("DATA/CHECKSUM");
    const QString cipher = fields.value("DATA/CIPHER");
    const QString publicKey = fields.value("SIGNATURE/PUBKEY");
    const QString signature = fields.value("SIGNATURE/VALUE");

    QByteArray raw;
    const auto key = Base64(publicKey);
    const auto value = Base64(signature);
    if (cipher != kCipherName || !DecodeKeyId(header.data.keyId, &raw) || !DecodeKeyId(header.data.contentId, &raw) ||
        header.data.checksum.isEmpty() || !key || !value)
        return std::nullopt;
    header.signerPublicKey = *key;
    header.signature = *value;
    return header;
}

bool HeaderSignatureValid(const RightsHeader& header) {
    return VerifySignature(header.signerPublicKey, header.signedText.toUtf8(), header.signature);
}

}  // namespace drm
