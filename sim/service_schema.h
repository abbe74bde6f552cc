#pragma once
// The operations the platform serves and the record types they carry, as tables.
// The request reader, the answer writer and the WSDL are all driven by these tables.

#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The namespace of every operation's wrapper and of the records inside it.
inline constexpr std::string_view kServiceNamespace = "http://service.castora.com";

enum class ValueKind { String, Int, Long, Boolean, Float, Record, RecordArray, IntArray };

struct RecordType;

struct FieldSpec {
  std::string name;
  ValueKind kind;
  const RecordType* record = nullptr;  // for Record and RecordArray
};

struct RecordType {
  std::string name;
  std::vector<FieldSpec> fields;
};

struct OperationSpec {
  std::string name;
  std::vector<FieldSpec> params;
  bool hasResult = false;
  FieldSpec result;           // named "return" when present
  bool needsSession = false;  // the desktop client's operations run inside a signed-in session
};

// Every operation served, the client's first (in the order of its operation table),
// then the recorder's.
const std::vector<OperationSpec>& ServiceOperations();
const OperationSpec* FindOperation(std::string_view name);

// Every record type, for the WSDL.
const std::vector<const RecordType*>& ServiceRecordTypes();

// Named record types the operation code fills.
const RecordType& RecordByName(std::string_view name);

}  // namespace sim
