// Self-signed TLS certificates made at test time with OpenSSL, so no key material lives in the tree.
#pragma once

#include <string>
#include <vector>

namespace orvane::test {

struct CertificateSpec {
    std::string commonName = "127.0.0.1";
    std::vector<std::string> ipAddresses{"127.0.0.1"};
    std::vector<std::string> dnsNames{"localhost"};
    // Validity relative to now, in seconds.
    long validFrom = -3600;
    long validUntil = 86400;
};

struct TestCertificate {
    std::string certificatePem;
    std::string privateKeyPem;
    bool empty() const { return certificatePem.empty(); }
};

// A P-256 key and a self-signed certificate (CA:TRUE, SHA-256) as PEM texts. Aborts the test program
// when OpenSSL fails: nothing sensible can follow.
TestCertificate MakeSelfSignedCertificate(const CertificateSpec& wanted = {});

}  // namespace orvane::test
