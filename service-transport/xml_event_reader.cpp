#include "service-transport/xml_event_reader.h"

#include <expat.h>

#include <cstring>
#include <memory>

namespace transport {

namespace {

constexpr char kNamespaceSeparator = '|';

struct ParserDeleter {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

struct ReadContext {
    XML_Parser parser;
    XmlHandler& handler;
    int depth = 0;
    XmlReadResult result = XmlReadResult::Ok;

    void Stop(XmlReadResult why) {
        if (result == XmlReadResult::Ok) {
            result = why;
        }
        XML_StopParser(parser, XML_FALSE);
    }
};

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
        context->Stop(XmlReadResult::Unreadable);
        return;
    }
    XmlElement element{};
    SplitName(name, element.namespaceUri, element.localName);
    element.attributes = attributes;
    element.contentOffset = XML_GetCurrentByteIndex(context->parser) + XML_GetCurrentByteCount(context->parser);
    if (!context->handler.StartElement(element)) {
        context->Stop(XmlReadResult::Mismatch);
    }
}

void OnEnd(void* data, const XML_Char*) {
    auto* context = static_cast<ReadContext*>(data);
    if (context->result != XmlReadResult::Ok) {
        return;
    }
    --context->depth;
    if (!context->handler.EndElement(XML_GetCurrentByteIndex(context->parser))) {
        context->Stop(XmlReadResult::Mismatch);
    }
}

void OnCharacters(void* data, const XML_Char* text, int length) {
    auto* context = static_cast<ReadContext*>(data);
    if (context->result != XmlReadResult::Ok) {
        return;
    }
    if (!context->handler.Characters(std::string_view(text, static_cast<std::size_t>(length)))) {
        context->Stop(XmlReadResult::Mismatch);
    }
}

void OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<ReadContext*>(data)->Stop(XmlReadResult::Unreadable);
}

}  // namespace

XmlReadResult ReadXml(const QByteArray& document, XmlHandler& handler) {
    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreateNS("UTF-8", kNamespaceSeparator));
    if (!parser) {
        return XmlReadResult::CannotCreate;
    }
    ReadContext context{parser.get(), handler};
    XML_SetUserData(parser.get(), &context);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnCharacters);
    XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
    const XML_Status status = XML_Parse(parser.get(), document.constData(), static_cast<int>(document.size()), XML_TRUE);
    if (context.result != XmlReadResult::Ok) {
        return context.result;
    }
    return status == XML_STATUS_OK ? XmlReadResult::Ok : XmlReadResult::Unreadable;
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
