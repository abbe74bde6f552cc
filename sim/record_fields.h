#pragma once
// Turns a state record into a service record value. The state records name their
// fields as the service does, so their Visit() gives the values by name.

#include <cstdint>
#include <map>
#include <string>

#include "sim/soap_value.h"

namespace sim {

struct RecordFieldCollector {
  std::map<std::string, SoapValue> fields;
  void operator()(const char* n, const std::string& v) { fields[n] = SoapValue::Str(v); }
  void operator()(const char* n, const std::int64_t& v) { fields[n] = SoapValue::Num(v); }
  void operator()(const char* n, const std::int32_t& v) { fields[n] = SoapValue::Num(v); }
  void operator()(const char* n, const double& v) { fields[n] = SoapValue::Real(v); }
};

template <class T>
SoapValue RecordOf(T copy) {
  RecordFieldCollector collector;
  copy.Visit(collector);
  return SoapValue::Record(std::move(collector.fields));
}

}  // namespace sim
