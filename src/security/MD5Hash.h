// CMD5Hash: the lowercase MD5 hex digest that marks every text packet and signs the relay lookup.
// One object per digest, used by one thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace orvane {

class CMD5Hash {
  public:
    CMD5Hash() = default;
    virtual ~CMD5Hash();
    CMD5Hash(const CMD5Hash&) = delete;
    CMD5Hash& operator=(const CMD5Hash&) = delete;

    // Feeds bytes to the digest; the first call starts a new one (a call with no bytes starts the
    // digest of the empty input).
    void Update(const void* data, std::size_t count);

    // Appends the digest of everything fed since the digest started, as 32 lowercase hexadecimal
    // digits ("%2.2x" per byte), and ends the digest. Returns false, appending nothing, when no
    // digest was started or it could not be read.
    bool HexDigest(std::string& out);
    bool HexDigest(std::u16string& out);

  private:
    void Release();

    evp_md_ctx_st* ctx_ = nullptr;
    bool failed_ = false;
};

// The lowercase MD5 hex digest of `bytes` (32 characters).
std::string Md5Hex(std::string_view bytes);

}  // namespace orvane
