#pragma once
// Constant descriptions of service operations and their record types. Every operation
// the client or the recorder calls is one table built from these, so one envelope
// writer and one response parser serve them all.

#include <cstddef>
#include <span>
#include <string_view>

namespace transport {

enum class ValueKind { String, Boolean, Int, Long, Float, Record, Array };

struct FieldDesc;

// A value type: a scalar, a record with ordered fields, or a variable-length array.
struct TypeDesc {
    ValueKind kind;
    std::string_view name;                // schema name of records; informative otherwise
    std::span<const FieldDesc> fields;    // records only, in wire order
    const TypeDesc* item = nullptr;       // arrays only
    std::string_view itemElement = "item";  // element name of array items in requests
};

// A parameter of an operation or a field of a record.
struct FieldDesc {
    std::string_view name;
    const TypeDesc* type;
};

// One operation, document/literal with its parameters wrapped in an element named
// after the operation; the response element is the name followed by "Response".
struct OperationDesc {
    std::string_view name;
    std::string_view targetNamespace;
    std::span<const FieldDesc> inputs;
    const FieldDesc* output = nullptr;  // null when the operation answers nothing
};

inline constexpr TypeDesc kStringType{ValueKind::String, "string", {}};
inline constexpr TypeDesc kBooleanType{ValueKind::Boolean, "boolean", {}};
inline constexpr TypeDesc kIntType{ValueKind::Int, "int", {}};
inline constexpr TypeDesc kLongType{ValueKind::Long, "long", {}};
inline constexpr TypeDesc kFloatType{ValueKind::Float, "float", {}};

// Index of the field called name in a record type, or -1.
int FieldIndex(const TypeDesc& record, std::string_view name);

}  // namespace transport
