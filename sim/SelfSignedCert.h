// The web service's TLS identity: a fresh key and a self-signed certificate for 127.0.0.1 and
// localhost, made in process at every start (nothing is read from or left on disk).
#pragma once

#include <string>

namespace orvane::sim {

struct SelfSignedCert {
    std::string certificatePem;
    std::string privateKeyPem;
    std::string sha256Fingerprint;  // "AB:CD:..." of the DER certificate
};

// An EC P-256 key and a certificate valid from one hour ago for `days` days. Empty PEM texts on
// failure (the web service then serves plain HTTP only).
SelfSignedCert MakeSelfSignedCert(int days = 30);

}  // namespace orvane::sim
