#pragma once
// Conversions between the service's record types and transport values.

#include "client/service/service_records.h"
#include "service-transport/soap_value.h"

namespace ClientService {

transport::SoapValue ToSoap(const TVideo& video);
TLoginResult LoginResultFrom(const transport::SoapValue& value);
TCompany CompanyFrom(const transport::SoapValue& value);
T_MediaServer MediaServerFrom(const transport::SoapValue& value);
TSelMediaServer SelMediaServerFrom(const transport::SoapValue& value);

}  // namespace ClientService
