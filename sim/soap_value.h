#pragma once
// A value carried in a request or an answer: scalar text (or nil), named record fields,
// or array items. Its shape follows a FieldSpec of the operation tables.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct SoapValue {
  std::optional<std::string> text;  // scalars; nullopt is a nil string or an absent number
  std::map<std::string, SoapValue> fields;
  std::vector<SoapValue> items;

  static SoapValue Str(std::string s) { return SoapValue{std::move(s), {}, {}}; }
  static SoapValue Nil() { return SoapValue{}; }
  static SoapValue Num(std::int64_t n) { return SoapValue{std::to_string(n), {}, {}}; }
  static SoapValue Bool(bool b) { return SoapValue{b ? "true" : "false", {}, {}}; }
  static SoapValue Real(double d);
  static SoapValue Record(std::map<std::string, SoapValue> f) { return SoapValue{{}, std::move(f), {}}; }
  static SoapValue Array(std::vector<SoapValue> i) { return SoapValue{{}, {}, std::move(i)}; }

  // Typed reads of a field of a record value that the request reader has already checked.
  std::string String(const std::string& field) const;
  bool IsNil(const std::string& field) const;
  std::int64_t Long(const std::string& field) const;
  std::int32_t Int(const std::string& field) const;
  std::vector<std::int32_t> Ints(const std::string& field) const;
  const SoapValue& Field(const std::string& field) const;
};

}  // namespace sim
