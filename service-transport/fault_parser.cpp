#include "service-transport/fault_parser.h"

#include <string_view>
#include <vector>

#include "service-transport/soap_namespaces.h"
#include "service-transport/xml_event_reader.h"

namespace transport {

namespace {

struct FaultCodeEntry {
    std::u16string_view name;
    FaultKind kind;
};

constexpr FaultCodeEntry kFaultCodes[] = {
    {u"VersionMismatch", FaultKind::VersionMismatch},
    {u"MustUnderstand", FaultKind::MustUnderstand},
    {u"Client", FaultKind::Client},
    {u"Server", FaultKind::Server},
};

class FaultHandler : public XmlHandler {
public:
    FaultHandler(const QByteArray& body, SoapFault& fault) : body_(body), fault_(fault) {}

    bool StartElement(const XmlElement& element) override {
        ++depth_;
        const bool soap = element.namespaceUri == kSoapEnvelopeNamespace;
        switch (depth_) {
        case 1:
            return soap && element.localName == "Envelope";
        case 2:
            inHeader_ = soap && element.localName == "Header" && !sawFault_;
            return inHeader_ || (soap && element.localName == "Body");
        case 3:
            if (inHeader_) {
                return true;
            }
            inFault_ = soap && element.localName == "Fault" && !sawFault_;
            sawFault_ = sawFault_ || inFault_;
            return inFault_;
        case 4:
            if (inHeader_) {
                return true;
            }
            return StartFaultPart(element);
        default:
            return inHeader_ || target_ == &detail_;  // only the header and detail hold markup
        }
    }

    bool EndElement(qint64 endTagOffset) override {
        if (depth_ == 4 && !inHeader_) {
            if (target_ == &detail_) {
                const qint64 length = endTagOffset - detailStart_;
                fault_.detail = length > 0 ? QString::fromUtf8(body_.mid(detailStart_, length)) : QString("");
            } else if (target_ != nullptr) {
                *target_ = QString::fromUtf8(text_);
                if (target_->isNull()) {
                    *target_ = QString("");
                }
            }
            target_ = nullptr;
            text_.clear();
        }
        if (depth_ == 2) {
            inHeader_ = false;
        }
        --depth_;
        return true;
    }

    bool Characters(std::string_view text) override {
        if (depth_ == 4 && target_ != nullptr && target_ != &detail_) {
            text_.append(text.data(), static_cast<qsizetype>(text.size()));
        }
        return true;
    }

    bool Complete() const { return sawFault_ && !fault_.code.isNull() && !fault_.string.isNull(); }

private:
    bool StartFaultPart(const XmlElement& element) {
        const std::string_view name = element.localName;
        text_.clear();
        if (name == "faultcode") {
            target_ = &fault_.code;
        } else if (name == "faultstring") {
            target_ = &fault_.string;
        } else if (name == "faultactor") {
            target_ = &fault_.actor;
        } else if (name == "detail") {
            target_ = &detail_;
            detailStart_ = element.contentOffset;
        } else {
            return false;
        }
        return true;
    }

    const QByteArray& body_;
    SoapFault& fault_;
    int depth_ = 0;
    bool inHeader_ = false;
    bool inFault_ = false;
    bool sawFault_ = false;
    QString* target_ = nullptr;
    QString detail_;  // marks that the detail element is open
    qint64 detailStart_ = 0;
    QByteArray text_;
};

}  // namespace

FaultKind FaultKindOf(const QString& faultCode) {
    const qsizetype colon = faultCode.lastIndexOf(u':');
    const QStringView local = QStringView(faultCode).mid(colon + 1).trimmed();
    for (const FaultCodeEntry& entry : kFaultCodes) {
        if (local == QStringView(entry.name.data(), static_cast<qsizetype>(entry.name.size()))) {
            return entry.kind;
        }
    }
    return FaultKind::Unknown;
}

bool ParseSoapFault(const QByteArray& body, SoapFault& fault) {
    SoapFault parsed;
    FaultHandler handler(body, parsed);
    if (ReadXml(body, handler) != XmlReadResult::Ok || !handler.Complete()) {
        return false;
    }
    parsed.code = parsed.code.trimmed();
    parsed.kind = FaultKindOf(parsed.code);
    fault = std::move(parsed);
    return true;
}

}  // namespace transport
