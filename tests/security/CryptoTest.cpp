// The primitives against published vectors: RFC 6229 (RC4), RFC 1321 (MD5), NIST SP 800-38A
// (AES-256-CBC), FIPS 180-2 (SHA-256), RFC 4648 (Base64).
#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <string>
#include <vector>

#include "security/Base64.h"
#include "security/CryptoCore.h"
#include "security/MD5Hash.h"
#include "support/Hex.h"

namespace orvane::crypto {
namespace {

using orvane::testing::Hex;

TEST(Rc4, KeyStreamMatchesRfc6229OnBothPaths) {
    Rc4Key key;
    for (int i = 0; i < 16; ++i)
        key[i] = static_cast<std::uint8_t>(i + 1);
    const struct {
        std::size_t offset;
        const char* stream;
    } expected[] = {
        {0x0000, "9ac7cc9a609d1ef7b2932899cde41b97"}, {0x0010, "5248c4959014126a6e8a84f11d1a9e1c"},
        {0x00f0, "065902e4b620f6cc36c8589f66432f2b"}, {0x0100, "d39d566bc6bce3010768151549f3873f"},
        {0x0ff0, "ff38265c1642c1abe8d3c2fe5e572bf8"}, {0x1000, "a36a4c301ae8ac13610ccbc12256cacc"},
    };
    std::vector<std::uint8_t> platform(0x1010, 0);
    std::vector<std::uint8_t> builtIn(0x1010, 0);
    ASSERT_TRUE(Rc4Platform(key, platform.data(), platform.size()));
    Rc4BuiltIn(key, builtIn.data(), builtIn.size());
    for (const auto& e : expected) {
        const auto want = Hex(e.stream);
        EXPECT_EQ(std::vector<std::uint8_t>(platform.begin() + e.offset, platform.begin() + e.offset + 16),
                  want)
            << e.offset;
        EXPECT_EQ(std::vector<std::uint8_t>(builtIn.begin() + e.offset, builtIn.begin() + e.offset + 16),
                  want)
            << e.offset;
    }
}

TEST(Md5, MatchesRfc1321SuiteWholeAndInPieces) {
    const std::pair<std::string, std::string> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [input, digest] : suite) {
        EXPECT_EQ(Md5Hex(input), digest);
        CMD5Hash hash;
        for (char c : input)
            hash.Update(&c, 1);
        hash.Update(nullptr, 0);
        std::string out = "prefix:";
        ASSERT_TRUE(hash.HexDigest(out));
        EXPECT_EQ(out, "prefix:" + digest);
        // The digest ended with HexDigest: a second one has nothing to report.
        EXPECT_FALSE(hash.HexDigest(out));
        EXPECT_EQ(out, "prefix:" + digest);
    }
    // "0a"-style bytes keep their leading zero: MD5("a") starts with 0x0c.
    EXPECT_EQ(Md5Hex("a").substr(0, 2), "0c");
}

TEST(Md5, NoDigestWithoutInputAndWideOutputAppends) {
    CMD5Hash hash;
    std::string narrow;
    EXPECT_FALSE(hash.HexDigest(narrow));
    EXPECT_TRUE(narrow.empty());
    hash.Update("abc", 3);
    std::u16string wide = u"x";
    ASSERT_TRUE(hash.HexDigest(wide));
    EXPECT_EQ(wide, u"x900150983cd24fb0d6963f7d28e17f72");
}

TEST(Sha256, MatchesFips180Vector) {
    Sha256Digest d;
    ASSERT_TRUE(Sha256("abc", 3, d));
    EXPECT_EQ(std::vector<std::uint8_t>(d.begin(), d.end()),
              Hex("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

TEST(Aes256Cbc, MatchesSp80038aAndPadsAWholeBlock) {
    Aes256Key key;
    const auto k = Hex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
    std::copy(k.begin(), k.end(), key.begin());
    std::array<std::uint8_t, 16> iv;
    for (int i = 0; i < 16; ++i)
        iv[i] = static_cast<std::uint8_t>(i);
    auto data =
        Hex("6bc1bee22e409f96e93d7e117393172a ae2d8a571e03ac9c9eb76fac45af8e51"
            "30c81c46a35ce411e5fbc1191a0a52ef f69f2445df4f9b17ad2b417be66c3710");
    const auto cipher =
        Hex("f58c4c04d6e5f1ba779eabfb5f7bfbd6 9cfc4e967edb808d679f777bc6702c7d"
            "39f23369a9d9bacfa530e26304231461 b2eb05e2c39be9fcda6c19078c6a9d1b");
    data.resize(80);
    std::size_t length = 64;
    ASSERT_TRUE(Aes256CbcEncrypt(key, iv, data.data(), length, data.size()));
    EXPECT_EQ(length, 80u);
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.begin() + 64), cipher);

    // Too small a capacity: nothing written, the needed size reported.
    std::vector<std::uint8_t> small(20, 7);
    length = 16;
    EXPECT_FALSE(Aes256CbcEncrypt(key, iv, small.data(), length, small.size()));
    EXPECT_EQ(length, 32u);
    EXPECT_EQ(small, std::vector<std::uint8_t>(20, 7));
}

TEST(Base64, MatchesRfc4648AndLongInputs) {
    const std::pair<std::string, std::string> suite[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [input, encoded] : suite)
        EXPECT_EQ(ToBase64(input.data(), input.size()), encoded);

    std::string longInput(10001, '\0');
    for (std::size_t i = 0; i < longInput.size(); ++i)
        longInput[i] = static_cast<char>(i * 7);
    std::string whole(longInput.size() / 3 * 4 + 8, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(whole.data()),
                                  reinterpret_cast<const unsigned char*>(longInput.data()),
                                  static_cast<int>(longInput.size()));
    whole.resize(static_cast<std::size_t>(n));
    EXPECT_EQ(ToBase64(longInput.data(), longInput.size()), whole);
}

TEST(UpperHexNoPad, DropsLeadingZeroPerByte) {
    const std::uint8_t bytes[] = {0x0A, 0xAB, 0x00, 0x10};
    EXPECT_EQ(UpperHexNoPad(bytes, sizeof bytes), "AAB010");
}

}  // namespace
}  // namespace orvane::crypto
