#pragma once
// Namespace-aware XML reading with expat: delivers elements (namespace URI and local
// name), attributes and character data in document order to a handler. Documents with
// a DOCTYPE, deeper than kMaxXmlDepth or not well-formed XML are refused. Documents are
// read as UTF-8, except that one declaring a Chinese code page (GBK, GB2312, GB18030) is
// decoded from it first.

#include <QByteArray>

#include <string>
#include <string_view>

namespace transport {

inline constexpr int kMaxXmlDepth = 64;

struct XmlElement {
    std::string_view namespaceUri;
    std::string_view localName;
    const char** attributes;  // expat pairs; names are "uri|local" when qualified
    qint64 contentOffset;     // byte offset just after the start tag
};

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // Each returns false when the document does not fit what the handler expects.
    virtual bool StartElement(const XmlElement& element) = 0;
    virtual bool EndElement(qint64 endTagOffset) = 0;
    virtual bool Characters(std::string_view text) = 0;
    // Why the handler last refused the document (for the diagnostic).
    virtual std::string Problem() const { return {}; }
};

enum class XmlReadResult {
    Ok,
    CannotCreate,  // the parser could not be created
    Unreadable,    // not well-formed, bad encoding, DOCTYPE or nesting too deep
    Mismatch,      // the handler refused the document
};

// When the result is not Ok and `diagnostic` is given, it says where ("line N: ") and why.
XmlReadResult ReadXml(const QByteArray& document, XmlHandler& handler, std::string* diagnostic = nullptr);

// Value of the attribute with that namespace URI and local name, or null.
const char* FindAttribute(const char** attributes, std::string_view namespaceUri, std::string_view localName);

}  // namespace transport
