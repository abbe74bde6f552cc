#include "sim/soap_value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace sim {

SoapValue SoapValue::Real(double d) {
  if (std::isnan(d)) return Str("NaN");
  if (std::isinf(d)) return Str(d > 0 ? "INF" : "-INF");
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9g", d);
  return Str(buf);
}

const SoapValue& SoapValue::Field(const std::string& field) const {
  static const SoapValue empty;
  auto it = fields.find(field);
  return it == fields.end() ? empty : it->second;
}

std::string SoapValue::String(const std::string& field) const {
  return Field(field).text.value_or(std::string());
}

bool SoapValue::IsNil(const std::string& field) const { return !Field(field).text.has_value(); }

std::int64_t SoapValue::Long(const std::string& field) const {
  const auto& t = Field(field).text;
  return t ? std::strtoll(t->c_str(), nullptr, 10) : 0;
}

std::int32_t SoapValue::Int(const std::string& field) const {
  return static_cast<std::int32_t>(Long(field));
}

std::vector<std::int32_t> SoapValue::Ints(const std::string& field) const {
  std::vector<std::int32_t> out;
  for (const auto& item : Field(field).items) {
    out.push_back(item.text ? static_cast<std::int32_t>(std::strtol(item.text->c_str(), nullptr, 10)) : 0);
  }
  return out;
}

}  // namespace sim
