#include "sim/wsdl.h"

#include "sim/service_schema.h"
#include "sim/soap_message.h"

namespace sim {
namespace {

std::string XsdType(const FieldSpec& f) {
  switch (f.kind) {
    case ValueKind::String: return "xsd:string";
    case ValueKind::Int: return "xsd:int";
    case ValueKind::Long: return "xsd:long";
    case ValueKind::Boolean: return "xsd:boolean";
    case ValueKind::Float: return "xsd:float";
    case ValueKind::Record: return "tns:" + f.record->name;
    case ValueKind::RecordArray: return "tns:ArrayOf" + f.record->name;
    case ValueKind::IntArray: return "tns:ArrayOfInt";
  }
  return "xsd:string";
}

std::string Element(const FieldSpec& f) {
  std::string nillable = f.kind == ValueKind::String ? " nillable=\"true\"" : "";
  return "<xsd:element name=\"" + f.name + "\" type=\"" + XsdType(f) + "\" minOccurs=\"0\"" + nillable + "/>";
}

std::string Sequence(const std::vector<FieldSpec>& fields) {
  std::string out = "<xsd:sequence>";
  for (const auto& f : fields) out += Element(f);
  return out + "</xsd:sequence>";
}

}  // namespace

std::string ServiceWsdl(const std::string& endpointUrl) {
  const std::string ns(kServiceNamespace);
  std::string types = "<xsd:schema targetNamespace=\"" + ns + "\" elementFormDefault=\"qualified\">";
  for (const RecordType* r : ServiceRecordTypes()) {
    types += "<xsd:complexType name=\"" + r->name + "\">" + Sequence(r->fields) + "</xsd:complexType>";
    types += "<xsd:complexType name=\"ArrayOf" + r->name + "\"><xsd:sequence><xsd:element name=\"" + r->name +
             "\" type=\"tns:" + r->name + "\" minOccurs=\"0\" maxOccurs=\"unbounded\"/></xsd:sequence></xsd:complexType>";
  }
  types += "<xsd:complexType name=\"ArrayOfInt\"><xsd:sequence><xsd:element name=\"int\" type=\"xsd:int\" "
           "minOccurs=\"0\" maxOccurs=\"unbounded\"/></xsd:sequence></xsd:complexType>";
  std::string messages, portType, binding;
  for (const auto& op : ServiceOperations()) {
    types += "<xsd:element name=\"" + op.name + "\"><xsd:complexType>" + Sequence(op.params) +
             "</xsd:complexType></xsd:element>";
    std::vector<FieldSpec> out;
    if (op.hasResult) out.push_back(op.result);
    types += "<xsd:element name=\"" + op.name + "Response\"><xsd:complexType>" + Sequence(out) +
             "</xsd:complexType></xsd:element>";
    messages += "<wsdl:message name=\"" + op.name + "Request\"><wsdl:part name=\"parameters\" element=\"tns:" +
                op.name + "\"/></wsdl:message>";
    messages += "<wsdl:message name=\"" + op.name + "Response\"><wsdl:part name=\"parameters\" element=\"tns:" +
                op.name + "Response\"/></wsdl:message>";
    portType += "<wsdl:operation name=\"" + op.name + "\"><wsdl:input message=\"tns:" + op.name +
                "Request\"/><wsdl:output message=\"tns:" + op.name + "Response\"/></wsdl:operation>";
    binding += "<wsdl:operation name=\"" + op.name + "\"><soap:operation soapAction=\"\"/>"
               "<wsdl:input><soap:body use=\"literal\"/></wsdl:input>"
               "<wsdl:output><soap:body use=\"literal\"/></wsdl:output></wsdl:operation>";
  }
  types += "</xsd:schema>";
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
         "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" "
         "xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\" "
         "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:tns=\"" + ns + "\" targetNamespace=\"" + ns + "\">"
         "<wsdl:types>" + types + "</wsdl:types>" + messages +
         "<wsdl:portType name=\"ClientServicePortType\">" + portType + "</wsdl:portType>"
         "<wsdl:binding name=\"ClientServiceBinding\" type=\"tns:ClientServicePortType\">"
         "<soap:binding style=\"document\" transport=\"http://schemas.xmlsoap.org/soap/http\"/>" + binding +
         "</wsdl:binding><wsdl:service name=\"ClientService\"><wsdl:port name=\"ClientServicePort\" "
         "binding=\"tns:ClientServiceBinding\"><soap:address location=\"" + EscapeXml(endpointUrl) +
         "\"/></wsdl:port></wsdl:service></wsdl:definitions>";
}

}  // namespace sim
