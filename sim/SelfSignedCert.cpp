#include "sim/SelfSignedCert.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>

namespace orvane::sim {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using ExtPtr = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;

void FreeBio(BIO* bio) {
    BIO_free(bio);
}
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, FreeBio>>;

std::string BioText(BIO* bio) {
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    return length > 0 ? std::string(data, static_cast<std::size_t>(length)) : std::string();
}

bool AddExtension(X509* cert, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    ExtPtr ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value));
    return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

}  // namespace

SelfSignedCert MakeSelfSignedCert(int days) {
    SelfSignedCert out;
    KeyPtr key(EVP_EC_gen("P-256"));
    CertPtr cert(X509_new());
    if (!key || !cert)
        return out;

    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1)
        return out;
    serial[0] &= 0x7F;  // a positive serial number
    BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
    const bool serialSet = bn && BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get())) != nullptr;
    BN_free(bn);

    X509_NAME* name = X509_get_subject_name(cert.get());
    const auto text = [](const char* s) { return reinterpret_cast<const unsigned char*>(s); };
    const bool ok =
        serialSet && X509_set_version(cert.get(), 2) == 1 &&
        X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) != nullptr &&
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86400L * days) != nullptr &&
        X509_set_pubkey(cert.get(), key.get()) == 1 &&
        X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, text("Orvane classroom simulator"), -1, -1, 0) ==
            1 &&
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, text("127.0.0.1"), -1, -1, 0) == 1 &&
        X509_set_issuer_name(cert.get(), name) == 1 &&
        AddExtension(cert.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost") &&
        AddExtension(cert.get(), NID_basic_constraints, "critical,CA:FALSE") &&
        AddExtension(cert.get(), NID_ext_key_usage, "serverAuth") &&
        X509_sign(cert.get(), key.get(), EVP_sha256()) > 0;
    if (!ok)
        return out;

    BioPtr certBio(BIO_new(BIO_s_mem()));
    BioPtr keyBio(BIO_new(BIO_s_mem()));
    if (!certBio || !keyBio || PEM_write_bio_X509(certBio.get(), cert.get()) != 1 ||
        PEM_write_bio_PrivateKey(keyBio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return out;

    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    if (X509_digest(cert.get(), EVP_sha256(), digest, &digestLength) == 1) {
        for (unsigned int i = 0; i < digestLength; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, i ? ":%02X" : "%02X", digest[i]);
            out.sha256Fingerprint += hex;
        }
    }
    out.certificatePem = BioText(certBio.get());
    out.privateKeyPem = BioText(keyBio.get());
    return out;
}

}  // namespace orvane::sim
