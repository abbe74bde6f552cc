#include "sim/xml_tree.h"

#include <expat.h>

namespace sim {
namespace {

constexpr char kNamespaceSeparator = ' ';

void SplitName(const char* qualified, std::string& ns, std::string& local) {
  std::string_view q(qualified);
  auto pos = q.rfind(kNamespaceSeparator);
  if (pos == std::string_view::npos) {
    ns.clear();
    local = q;
  } else {
    ns = q.substr(0, pos);
    local = q.substr(pos + 1);
  }
}

struct ParseState {
  XML_Parser parser = nullptr;
  const XmlLimits* limits = nullptr;
  std::unique_ptr<XmlElement> root;
  std::vector<XmlElement*> open;  // path from the root to the current element
  std::size_t elements = 0;
  std::string error;

  void Fail(std::string why) {
    if (error.empty()) error = std::move(why);
    XML_StopParser(parser, XML_FALSE);
  }
};

void OnStart(void* data, const char* name, const char** attrs) {
  auto* st = static_cast<ParseState*>(data);
  if (st->open.size() >= st->limits->maxDepth) return st->Fail("XML nested too deeply");
  if (++st->elements > st->limits->maxElements) return st->Fail("too many XML elements");
  XmlElement* element;
  if (st->open.empty()) {
    st->root = std::make_unique<XmlElement>();
    element = st->root.get();
  } else {
    element = &st->open.back()->children.emplace_back();
  }
  SplitName(name, element->ns, element->name);
  for (std::size_t i = 0; attrs[i] && attrs[i + 1]; i += 2) element->attributes[attrs[i]] = attrs[i + 1];
  st->open.push_back(element);
}

void OnEnd(void* data, const char*) {
  auto* st = static_cast<ParseState*>(data);
  if (!st->open.empty()) st->open.pop_back();
}

void OnText(void* data, const char* s, int len) {
  auto* st = static_cast<ParseState*>(data);
  if (!st->open.empty()) st->open.back()->text.append(s, static_cast<std::size_t>(len));
}

void OnDoctype(void* data, const char*, const char*, const char*, int) {
  static_cast<ParseState*>(data)->Fail("document type declarations are not accepted");
}

}  // namespace

const XmlElement* XmlElement::Child(std::string_view localName) const {
  for (const auto& c : children) {
    if (c.name == localName) return &c;
  }
  return nullptr;
}

std::string XmlElement::Attribute(std::string_view attrNs, std::string_view localName) const {
  std::string key = attrNs.empty() ? std::string(localName)
                                   : std::string(attrNs) + kNamespaceSeparator + std::string(localName);
  auto it = attributes.find(key);
  return it == attributes.end() ? std::string() : it->second;
}

std::unique_ptr<XmlElement> ParseXml(std::string_view bytes, std::string& error,
                                     const XmlLimits& limits) {
  error.clear();
  if (bytes.size() > limits.maxBytes) {
    error = "XML document too large";
    return nullptr;
  }
  ParseState st;
  st.limits = &limits;
  st.parser = XML_ParserCreateNS("UTF-8", kNamespaceSeparator);
  if (!st.parser) {
    error = "cannot create the XML parser";
    return nullptr;
  }
  XML_SetUserData(st.parser, &st);
  XML_SetElementHandler(st.parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(st.parser, OnText);
  XML_SetStartDoctypeDeclHandler(st.parser, OnDoctype);
  XML_Status status = XML_Parse(st.parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE);
  if (status != XML_STATUS_OK && st.error.empty()) {
    st.error = std::string("malformed XML: ") + XML_ErrorString(XML_GetErrorCode(st.parser)) +
               " at line " + std::to_string(XML_GetCurrentLineNumber(st.parser));
  }
  XML_ParserFree(st.parser);
  if (!st.error.empty() || !st.root) {
    error = st.error.empty() ? "empty XML document" : st.error;
    return nullptr;
  }
  return std::move(st.root);
}

}  // namespace sim
