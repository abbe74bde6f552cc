#pragma once
// The publishing-point fields that the media-server records of the platform service and of
// the recorder service carry alike: the server's address and log-in page and the DRM
// material of a protected broadcast.

#include "service-transport/soap_value.h"

namespace transport {

// Reads those fields of `view` into the members of the same names of `record`.
template <typename Record>
void ReadPublishingPoint(const RecordView& view, Record& record) {
    record.ip = view.String("ip");
    record.kid = view.String("kid");
    record.licSrvCert = view.String("licSrvCert");
    record.loginUrl = view.String("loginUrl");
    record.port = view.Int32("port");
    record.privateKey = view.String("privateKey");
    record.pubPoint = view.String("pubPoint");
    record.publicKey = view.String("publicKey");
    record.rootCert = view.String("rootCert");
    record.seed = view.String("seed");
    record.signedPublicKey = view.String("signedPublicKey");
}

}  // namespace transport
