#include "service-transport/xml_event_reader.h"

#include <expat.h>

#include "platform/code_page.h"

#include <cstring>
#include <memory>

namespace transport {

namespace {

constexpr char kNamespaceSeparator = '|';

struct ParserDeleter {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

struct ReadContext {
    ReadContext(XML_Parser p, XmlHandler& h) : parser(p), handler(h) {}

    XML_Parser parser;
    XmlHandler& handler;
    int depth = 0;
    XmlReadResult result = XmlReadResult::Ok;
    std::string why;
    unsigned long line = 0;

    void Stop(XmlReadResult kind, std::string reason = {}) {
        if (result == XmlReadResult::Ok) {
            result = kind;
            why = std::move(reason);
            line = XML_GetCurrentLineNumber(parser);
        }
        XML_StopParser(parser, XML_FALSE);
    }
};

// The encoding named in the XML declaration, or empty.
QByteArray DeclaredEncoding(const QByteArray& document) {
    qsizetype start = document.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (document.mid(start, 5) != "<?xml") {
        return {};
    }
    const qsizetype end = document.indexOf("?>", start);
    if (end < 0) {
        return {};
    }
    const QByteArray declaration = document.mid(start, end - start);
    const qsizetype key = declaration.indexOf("encoding");
    if (key < 0) {
        return {};
    }
    qsizetype at = key + 8;
    while (at < declaration.size() && (declaration[at] == ' ' || declaration[at] == '=')) {
        ++at;
    }
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) {
        return {};
    }
    const char quote = declaration[at];
    const qsizetype close = declaration.indexOf(quote, at + 1);
    return close < 0 ? QByteArray() : declaration.mid(at + 1, close - at - 1);
}

void SplitName(const char* name, std::string_view& uri, std::string_view& local) {
    const char* separator = std::strchr(name, kNamespaceSeparator);
    if (separator == nullptr) {
        uri = {};
        local = name;
    } else {
        uri = std::string_view(name, static_cast<std::size_t>(separator - name));
        local = separator + 1;
    }
}

void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* context = static_cast<ReadContext*>(data);
    if (context->result != XmlReadResult::Ok) {
        return;
    }
    if (++context->depth > kMaxXmlDepth) {
        context->Stop(XmlReadResult::Unreadable, "nested too deeply");
        return;
    }
    XmlElement element{};
    SplitName(name, element.namespaceUri, element.localName);
    element.attributes = attributes;
    element.contentOffset = XML_GetCurrentByteIndex(context->parser) + XML_GetCurrentByteCount(context->parser);
    if (!context->handler.StartElement(element)) {
        context->Stop(XmlReadResult::Mismatch, context->handler.Problem());
    }
}

void OnEnd(void* data, const XML_Char*) {
    auto* context = static_cast<ReadContext*>(data);
    if (context->result != XmlReadResult::Ok) {
        return;
    }
    --context->depth;
    if (!context->handler.EndElement(XML_GetCurrentByteIndex(context->parser))) {
        context->Stop(XmlReadResult::Mismatch, context->handler.Problem());
    }
}

void OnCharacters(void* data, const XML_Char* text, int length) {
    auto* context = static_cast<ReadContext*>(data);
    if (context->result != XmlReadResult::Ok) {
        return;
    }
    if (!context->handler.Characters(std::string_view(text, static_cast<std::size_t>(length)))) {
        context->Stop(XmlReadResult::Mismatch, context->handler.Problem());
    }
}

void OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<ReadContext*>(data)->Stop(XmlReadResult::Unreadable, "a DOCTYPE is not allowed");
}

}  // namespace

XmlReadResult ReadXml(const QByteArray& original, XmlHandler& handler, std::string* diagnostic) {
    // The parser reads UTF-8 whatever the declaration says; a Chinese code page is
    // decoded here first.
    QByteArray decoded;
    const bool recoded = platform::ChineseToUtf8(original, DeclaredEncoding(original), &decoded);
    const QByteArray& document = recoded ? decoded : original;
    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreateNS("UTF-8", kNamespaceSeparator));
    if (!parser) {
        return XmlReadResult::CannotCreate;
    }
    ReadContext context(parser.get(), handler);
    XML_SetUserData(parser.get(), &context);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnCharacters);
    XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
    const XML_Status status = XML_Parse(parser.get(), document.constData(), static_cast<int>(document.size()), XML_TRUE);
    if (context.result == XmlReadResult::Ok && status != XML_STATUS_OK) {
        context.result = XmlReadResult::Unreadable;
        context.why = XML_ErrorString(XML_GetErrorCode(parser.get()));
        context.line = XML_GetCurrentLineNumber(parser.get());
    }
    if (context.result != XmlReadResult::Ok && diagnostic != nullptr) {
        *diagnostic = "line " + std::to_string(context.line) + ": " + (context.why.empty() ? "not the expected answer" : context.why);
    }
    return context.result;
}

const char* FindAttribute(const char** attributes, std::string_view namespaceUri, std::string_view localName) {
    for (const char** pair = attributes; pair != nullptr && pair[0] != nullptr; pair += 2) {
        std::string_view uri;
        std::string_view local;
        SplitName(pair[0], uri, local);
        if (uri == namespaceUri && local == localName) {
            return pair[1];
        }
    }
    return nullptr;
}

}  // namespace transport
