#include "sim/soap_message.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "sim/xml_tree.h"

namespace sim {
namespace {

constexpr std::string_view kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

std::string Trimmed(const std::string& s) {
  const char* ws = " \t\r\n";
  auto b = s.find_first_not_of(ws);
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

[[noreturn]] void BadValue(const std::string& name) {
  throw SoapFault("Client", "invalid value for element '" + name + "'");
}

std::string ReadInteger(const std::string& name, const std::string& raw, std::int64_t lo, std::int64_t hi) {
  std::string t = Trimmed(raw);
  if (t.empty()) BadValue(name);
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(t.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) BadValue(name);
  return std::to_string(v);
}

SoapValue ReadValue(const FieldSpec& spec, const XmlElement& e);

SoapValue ReadRecord(const RecordType& record, const XmlElement& e) {
  SoapValue out;
  for (const auto& f : record.fields) {
    if (const XmlElement* c = e.Child(f.name)) out.fields[f.name] = ReadValue(f, *c);
  }
  return out;
}

SoapValue ReadValue(const FieldSpec& spec, const XmlElement& e) {
  std::string nil = e.Attribute(kXsiNamespace, "nil");
  if (nil == "1" || nil == "true") return SoapValue::Nil();
  switch (spec.kind) {
    case ValueKind::String:
      return SoapValue::Str(e.text);
    case ValueKind::Int:
      return SoapValue::Str(ReadInteger(spec.name, e.text, std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::max()));
    case ValueKind::Long:
      return SoapValue::Str(ReadInteger(spec.name, e.text, std::numeric_limits<std::int64_t>::min(),
                                        std::numeric_limits<std::int64_t>::max()));
    case ValueKind::Boolean: {
      std::string t = Trimmed(e.text);
      if (t == "true" || t == "1") return SoapValue::Bool(true);
      if (t == "false" || t == "0") return SoapValue::Bool(false);
      BadValue(spec.name);
    }
    case ValueKind::Float: {
      std::string t = Trimmed(e.text);
      if (t == "INF" || t == "-INF" || t == "NaN") return SoapValue::Str(t);
      char* end = nullptr;
      double d = std::strtod(t.c_str(), &end);
      if (t.empty() || *end != '\0' || !std::isfinite(d)) BadValue(spec.name);
      return SoapValue::Real(d);
    }
    case ValueKind::Record:
      return ReadRecord(*spec.record, e);
    case ValueKind::RecordArray: {
      SoapValue out;
      for (const auto& item : e.children) out.items.push_back(ReadRecord(*spec.record, item));
      return out;
    }
    case ValueKind::IntArray: {
      SoapValue out;
      FieldSpec itemSpec{spec.name, ValueKind::Int};
      for (const auto& item : e.children) out.items.push_back(ReadValue(itemSpec, item));
      return out;
    }
  }
  BadValue(spec.name);
}

// An int array may come as one element holding an item per child, or as the
// parameter element repeated once per item.
SoapValue ReadRepeatedInts(const FieldSpec& spec, const XmlElement& wrapper) {
  SoapValue out;
  FieldSpec itemSpec{spec.name, ValueKind::Int};
  for (const auto& c : wrapper.children) {
    if (c.name != spec.name) continue;
    if (!c.children.empty()) {
      for (const auto& item : c.children) out.items.push_back(ReadValue(itemSpec, item));
    } else {
      out.items.push_back(ReadValue(itemSpec, c));
    }
  }
  return out;
}

void WriteValue(std::string& out, const FieldSpec& spec, const SoapValue& v);

void WriteRecordFields(std::string& out, const RecordType& record, const SoapValue& v) {
  for (const auto& [name, _] : v.fields) {
    bool known = false;
    for (const auto& f : record.fields) known = known || f.name == name;
    if (!known) throw std::logic_error(record.name + " has no field " + name);
  }
  for (const auto& f : record.fields) WriteValue(out, f, v.Field(f.name));
}

void WriteValue(std::string& out, const FieldSpec& spec, const SoapValue& v) {
  const std::string& n = spec.name;
  switch (spec.kind) {
    case ValueKind::String:
      if (!v.text) {
        out += "<" + n + " xsi:nil=\"true\"/>";
        return;
      }
      out += "<" + n + ">" + EscapeXml(*v.text) + "</" + n + ">";
      return;
    case ValueKind::Int:
    case ValueKind::Long:
      out += "<" + n + ">" + v.text.value_or("0") + "</" + n + ">";
      return;
    case ValueKind::Float:
      out += "<" + n + ">" + v.text.value_or("0") + "</" + n + ">";
      return;
    case ValueKind::Boolean:
      out += "<" + n + ">" + v.text.value_or("false") + "</" + n + ">";
      return;
    case ValueKind::Record:
      out += "<" + n + ">";
      WriteRecordFields(out, *spec.record, v);
      out += "</" + n + ">";
      return;
    case ValueKind::RecordArray:
      out += "<" + n + ">";
      for (const auto& item : v.items) {
        out += "<" + spec.record->name + ">";
        WriteRecordFields(out, *spec.record, item);
        out += "</" + spec.record->name + ">";
      }
      out += "</" + n + ">";
      return;
    case ValueKind::IntArray:
      out += "<" + n + ">";
      for (const auto& item : v.items) out += "<int>" + item.text.value_or("0") + "</int>";
      out += "</" + n + ">";
      return;
  }
}

const char* kEnvelopeOpen =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"><soap:Body>";
const char* kEnvelopeClose = "</soap:Body></soap:Envelope>";

}  // namespace

SoapRequest ReadSoapRequest(std::string_view body) {
  std::string error;
  auto root = ParseXml(body, error);
  if (!root) throw SoapFault("Client", error);
  if (root->name != "Envelope") throw SoapFault("Client", "the document is not a SOAP envelope");
  if (root->ns != kSoapEnvelopeNamespace)
    throw SoapFault("VersionMismatch", "the envelope is not in the SOAP 1.1 namespace");
  const XmlElement* soapBody = nullptr;
  for (const auto& c : root->children) {
    if (c.ns != kSoapEnvelopeNamespace) continue;
    if (c.name == "Header") {
      for (const auto& entry : c.children) {
        std::string must = entry.Attribute(kSoapEnvelopeNamespace, "mustUnderstand");
        if (must == "1" || must == "true")
          throw SoapFault("MustUnderstand", "header entry '" + entry.name + "' is not understood");
      }
    } else if (c.name == "Body") {
      soapBody = &c;
    }
  }
  if (!soapBody) throw SoapFault("Client", "the envelope has no Body");
  if (soapBody->children.size() != 1)
    throw SoapFault("Client", "the Body must hold exactly one operation element");
  const XmlElement& wrapper = soapBody->children.front();
  SoapRequest request;
  request.operation = FindOperation(wrapper.name);
  if (!request.operation) throw SoapFault("Client", "unknown operation '" + wrapper.name + "'");
  request.wrapperNamespace = wrapper.ns.empty() ? std::string(kServiceNamespace) : wrapper.ns;
  for (const auto& param : request.operation->params) {
    if (param.kind == ValueKind::IntArray) {
      request.args.fields[param.name] = ReadRepeatedInts(param, wrapper);
    } else if (const XmlElement* e = wrapper.Child(param.name)) {
      request.args.fields[param.name] = ReadValue(param, *e);
    }
  }
  return request;
}

std::string WriteSoapResponse(const OperationSpec& op, const std::string& wrapperNamespace,
                              const SoapValue& result) {
  std::string out = kEnvelopeOpen;
  out += "<" + op.name + "Response xmlns=\"" + EscapeXml(wrapperNamespace) + "\">";
  if (op.hasResult) WriteValue(out, op.result, result);
  out += "</" + op.name + "Response>";
  out += kEnvelopeClose;
  return out;
}

std::string WriteSoapFault(const SoapFault& fault) {
  std::string out = kEnvelopeOpen;
  out += "<soap:Fault><faultcode>soap:" + fault.code + "</faultcode><faultstring>" +
         EscapeXml(fault.what()) + "</faultstring></soap:Fault>";
  out += kEnvelopeClose;
  return out;
}

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\r': out += "&#xD;"; break;
      default:
        // Other control characters cannot appear in XML 1.0 at all.
        if (c < 0x20 && ch != '\t' && ch != '\n') break;
        out += ch;
    }
  }
  return out;
}

}  // namespace sim
