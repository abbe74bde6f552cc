#include "service-transport/soap_namespaces.h"

#include "service-transport/xml_event_reader.h"

namespace transport {

bool IsNil(const char** attributes) {
    const char* nil = FindAttribute(attributes, kSchemaInstanceNamespace, "nil");
    return nil != nullptr && (std::string_view(nil) == "1" || std::string_view(nil) == "true");
}

}  // namespace transport
