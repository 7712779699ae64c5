#include "support/TestCertificate.h"

#include <openssl/bio.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace orvane::test {
namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "test certificate: %s failed\n", what);
    std::abort();
}

void Check(bool ok, const char* what) {
    if (!ok)
        Fail(what);
}

std::string Pem(const std::function<int(BIO*)>& write) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    Check(bio && write(bio.get()) == 1, "PEM writing");
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(size));
}

void AddExtension(X509* cert, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    Check(ext != nullptr, "certificate extension");
    Check(X509_add_ext(cert, ext, -1) == 1, "adding an extension");
    X509_EXTENSION_free(ext);
}

}  // namespace

TestCertificate MakeSelfSignedCertificate(const CertificateSpec& wanted) {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    Check(key != nullptr, "key generation");
    std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), X509_free);
    Check(cert != nullptr, "X509_new");
    X509_set_version(cert.get(), X509_VERSION_3);
    unsigned char serial[8];
    Check(RAND_bytes(serial, sizeof serial) == 1, "serial");
    serial[0] &= 0x7F;
    std::unique_ptr<BIGNUM, decltype(&BN_free)> bn(BN_bin2bn(serial, sizeof serial, nullptr), BN_free);
    Check(bn && BN_to_ASN1_INTEGER(bn.get(), X509_get_serialNumber(cert.get())), "serial");
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), wanted.validFrom);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), wanted.validUntil);
    X509_NAME* name = X509_get_subject_name(cert.get());
    Check(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                                     reinterpret_cast<const unsigned char*>(wanted.commonName.c_str()), -1,
                                     -1, 0) == 1,
          "subject");
    X509_set_issuer_name(cert.get(), name);
    Check(X509_set_pubkey(cert.get(), key.get()) == 1, "public key");
    AddExtension(cert.get(), NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert.get(), NID_subject_key_identifier, "hash");
    std::string alt;
    for (const auto& ip : wanted.ipAddresses)
        alt += (alt.empty() ? "" : ",") + std::string("IP:") + ip;
    for (const auto& dns : wanted.dnsNames)
        alt += (alt.empty() ? "" : ",") + std::string("DNS:") + dns;
    if (!alt.empty())
        AddExtension(cert.get(), NID_subject_alt_name, alt);
    Check(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "signing");

    TestCertificate out;
    out.certificatePem = Pem([&](BIO* bio) { return PEM_write_bio_X509(bio, cert.get()); });
    out.privateKeyPem = Pem([&](BIO* bio) {
        return PEM_write_bio_PrivateKey(bio, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    });
    return out;
}

}  // namespace orvane::test
