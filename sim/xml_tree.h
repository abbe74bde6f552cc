#pragma once
// A small namespace-aware XML tree read with expat, with bounds on nesting and size so
// that any request body is answered, never allowed to exhaust the server.

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct XmlElement {
  std::string ns;    // namespace URI, empty when none
  std::string name;  // local name
  std::map<std::string, std::string> attributes;  // "uri local" or "local" -> value
  std::string text;  // character data directly inside this element
  std::vector<XmlElement> children;

  const XmlElement* Child(std::string_view localName) const;
  std::string Attribute(std::string_view ns, std::string_view localName) const;
};

struct XmlLimits {
  std::size_t maxDepth = 64;
  std::size_t maxElements = 20000;
  std::size_t maxBytes = 1 << 20;
};

// Parses a whole document. Returns null and sets `error` when the bytes are not
// well-formed, declare a document type, or exceed the limits.
std::unique_ptr<XmlElement> ParseXml(std::string_view bytes, std::string& error,
                                     const XmlLimits& limits = {});

}  // namespace sim
