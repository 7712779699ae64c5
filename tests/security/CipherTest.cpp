// The password ciphers as the wire sees them: the packet cipher's bytes, its self test and built-in
// fallback, the password answer's sizes and contents, and the built-in constants.
#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "app/ProductProfile.h"
#include "security/Crypt.h"
#include "security/Crypt256.h"
#include "security/CryptSettings.h"
#include "util/Text.h"

namespace orvane {
namespace {

class FaultGuard {
  public:
    FaultGuard(crypto::SelfTestFault rc4, crypto::SelfTestFault aes) {
        crypto::SetRc4SelfTestFaultForTesting(rc4);
        crypto::SetAesSelfTestFaultForTesting(aes);
    }
    ~FaultGuard() {
        crypto::SetRc4SelfTestFaultForTesting(crypto::SelfTestFault::kNone);
        crypto::SetAesSelfTestFaultForTesting(crypto::SelfTestFault::kNone);
    }
};

// The packet cipher computed from first principles: RC4 keyed with MD5 of the UTF-16LE password.
std::string ReferenceRc4(std::u16string_view password, std::string data) {
    const std::string bytes = crypto::Utf16LeBytes(password);
    crypto::Md5Digest key;
    EXPECT_TRUE(crypto::Md5(bytes.data(), bytes.size(), key));
    crypto::Rc4BuiltIn(key, data.data(), data.size());
    return data;
}

std::string Encipher(CCrypt& crypt, std::string data) {
    std::size_t length = data.size();
    EXPECT_TRUE(crypt.Encrypt(data.data(), length));
    EXPECT_EQ(length, data.size());
    return data;
}

TEST(Constants, HaveTheirFormsAndSelfTestAnswersAgreeWithStandardCiphers) {
    auto all = [](std::u16string_view s, auto pred) {
        return std::all_of(s.begin(), s.end(), [&](char16_t c) { return c < 128 && pred(c); });
    };
    auto lower = [](char16_t c) { return c >= u'a' && c <= u'z'; };
    ASSERT_EQ(kDefaultPacketPassword.size(), 15u);
    EXPECT_TRUE(all(kDefaultPacketPassword.substr(0, 11), lower));
    EXPECT_TRUE(all(kDefaultPacketPassword.substr(11), [](char16_t c) { return std::ispunct(c) != 0; }));
    ASSERT_EQ(kRc4TestPassword.size(), 15u);
    EXPECT_TRUE(all(kRc4TestPassword, lower));
    ASSERT_EQ(kAesTestPassword.size(), 18u);
    EXPECT_TRUE(all(kAesTestPassword.substr(0, 15), lower));
    EXPECT_TRUE(all(kAesTestPassword.substr(15), [](char16_t c) { return c >= u'0' && c <= u'9'; }));
    ASSERT_EQ(kDefaultAesKeyText.size(), 32u);
    EXPECT_TRUE(all(kDefaultAesKeyText, [](char16_t c) { return c >= 0x20 && c < 0x7F; }));

    EXPECT_EQ(kRc4ExpectedAnswer.size(), 18u);
    const std::string rc4 = ReferenceRc4(kRc4TestPassword, crypto::Utf16LeBytes(u"Hello"));
    EXPECT_EQ(crypto::UpperHexNoPad(rc4.data(), rc4.size()), kRc4ExpectedAnswer);

    EXPECT_EQ(kAesExpectedAnswer.size(), 29u);
    const std::string aesPassword = crypto::Utf16LeBytes(kAesTestPassword);
    crypto::Sha256Digest key;
    ASSERT_TRUE(crypto::Sha256(aesPassword.data(), aesPassword.size(), key));
    std::string block = crypto::Utf16LeBytes(std::u16string_view(u"Hello", 6));
    block.resize(16);
    std::size_t length = 12;
    ASSERT_TRUE(crypto::Aes256CbcEncrypt(key, {}, block.data(), length, block.size()));
    EXPECT_EQ(crypto::UpperHexNoPad(block.data(), block.size()), kAesExpectedAnswer);

    // The deployment profile starts from the same secrets.
    const ProductProfile profile;
    EXPECT_EQ(profile.packetPassword, kDefaultPacketPassword);
    EXPECT_EQ(profile.aesKey, kDefaultAesKeyText);
}

TEST(CCrypt, PlatformAndBuiltInPathsPutTheSameBytesOnTheWire) {
    const std::string password = PacketPasswordBytes();
    ASSERT_EQ(password.size(), 30u);
    const std::string plain = crypto::Utf16LeBytes(u"[RC00001]3.0.1.1007 한글");
    const std::string expected = ReferenceRc4(kDefaultPacketPassword, plain);
    ASSERT_NE(expected, plain);

    CCrypt platform;
    ASSERT_TRUE(platform.Init(password.data(), password.size()));
    EXPECT_FALSE(platform.UsesBuiltInRc4());
    EXPECT_EQ(Encipher(platform, plain), expected);
    // Every call starts from the key's initial state, so decrypting undoes encrypting.
    EXPECT_EQ(Encipher(platform, expected), plain);

    for (auto fault : {crypto::SelfTestFault::kSetupFails, crypto::SelfTestFault::kWrongAnswer}) {
        FaultGuard guard(fault, crypto::SelfTestFault::kNone);
        CCrypt builtIn;
        ASSERT_TRUE(builtIn.Init(password.data(), password.size()));
        EXPECT_TRUE(builtIn.UsesBuiltInRc4());
        EXPECT_EQ(Encipher(builtIn, plain), expected);
    }
}

TEST(CCrypt, EmptyTextStaysEmptyAndNoKeyLeavesTheBufferAlone) {
    const std::string password = PacketPasswordBytes();
    CCrypt crypt;
    ASSERT_TRUE(crypt.Init(password.data(), password.size()));
    std::size_t length = 0;
    EXPECT_TRUE(crypt.Encrypt(nullptr, length));
    EXPECT_EQ(length, 0u);

    CCrypt never;
    std::string data = "abc";
    length = data.size();
    EXPECT_FALSE(never.Encrypt(data.data(), length));
    EXPECT_EQ(data, "abc");
}

TEST(CCrypt, PacketCipherFollowsTheConfiguredPassword) {
    const std::string plain = crypto::Utf16LeBytes(u"[RC00003]");
    SetPacketPassword(u"otherpassword%%%");
    std::string data = plain;
    ApplyPacketCipher(data.data(), data.size());
    EXPECT_EQ(data, ReferenceRc4(u"otherpassword%%%", plain));
    SetPacketPassword(kDefaultPacketPassword);
    data = plain;
    ApplyPacketCipher(data.data(), data.size());
    EXPECT_EQ(data, ReferenceRc4(kDefaultPacketPassword, plain));
}

std::string FromBase64(const std::u16string& text) {
    const std::string narrow = WideToUtf8String(text);
    std::string out(narrow.size() / 4 * 3 + 3, '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(narrow.data()),
                                  static_cast<int>(narrow.size()));
    EXPECT_GE(n, 0);
    out.resize(static_cast<std::size_t>(std::max(n, 0)));
    return out;  // EVP_DecodeBlock keeps the bytes that "=" padding stands for; callers size-check.
}

// Deciphers a password answer with an independent AES-256-CBC decryption.
std::string DecipherAnswer(const std::u16string& answer, std::size_t cipherLength) {
    std::string cipher = FromBase64(answer);
    cipher.resize(cipherLength);
    const std::string keyText = AesKeyBytes();
    crypto::Sha256Digest key;
    EXPECT_TRUE(crypto::Sha256(keyText.data(), keyText.size(), key));
    const unsigned char iv[16] = {};
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    std::string plain(cipher.size() + 16, '\0');
    int a = 0, b = 0;
    EVP_DecryptInit_ex(ctx, EVP_aes_256_cbc(), nullptr, key.data(), iv);
    EVP_DecryptUpdate(ctx, reinterpret_cast<unsigned char*>(plain.data()), &a,
                      reinterpret_cast<const unsigned char*>(cipher.data()), static_cast<int>(cipher.size()));
    EXPECT_EQ(EVP_DecryptFinal_ex(ctx, reinterpret_cast<unsigned char*>(plain.data()) + a, &b), 1);
    EVP_CIPHER_CTX_free(ctx);
    plain.resize(static_cast<std::size_t>(a + b));
    return plain;
}

TEST(EncryptToBase64, PadsToWholeBlocksAndDeciphersToTheUtf8Password) {
    const struct {
        std::u16string password;
        std::size_t cipherBytes;
        std::size_t base64Chars;
    } cases[] = {
        {u"", 16, 24},
        {u"123456789012345", 16, 24},
        {u"1234567890123456", 32, 44},
        {u"비밀번호1", 16, 24},  // 13 UTF-8 bytes
    };
    for (const auto& c : cases) {
        const std::u16string answer = EncryptToBase64(c.password);
        EXPECT_EQ(answer.size(), c.base64Chars);
        EXPECT_EQ(DecipherAnswer(answer, c.cipherBytes), WideToUtf8String(c.password));
    }
}

TEST(EncryptToBase64, PassesThePasswordThroughWhenTheSelfTestFails) {
    FaultGuard guard(crypto::SelfTestFault::kNone, crypto::SelfTestFault::kWrongAnswer);
    CCrypt256 cipher;
    const std::string key = AesKeyBytes();
    ASSERT_TRUE(cipher.Init(key.data(), key.size()));
    EXPECT_TRUE(cipher.PassesThrough());
    std::string bytes = FromBase64(EncryptToBase64(u"secret"));
    bytes.resize(16);
    EXPECT_EQ(bytes, std::string("secret") + std::string(10, '\0'));
}

TEST(CCrypt256, RefusesTooSmallACapacity) {
    const std::string key = AesKeyBytes();
    CCrypt256 cipher;
    ASSERT_TRUE(cipher.Init(key.data(), key.size()));
    EXPECT_FALSE(cipher.PassesThrough());
    char buffer[32] = "0123456789abcdef";
    std::size_t length = 16;
    EXPECT_FALSE(cipher.Encrypt(buffer, length, 16));
    EXPECT_EQ(length, 32u);
    EXPECT_EQ(std::string(buffer, 16), "0123456789abcdef");
    length = 16;
    EXPECT_TRUE(cipher.Encrypt(buffer, length, sizeof buffer));
    EXPECT_EQ(length, 32u);
}

}  // namespace
}  // namespace orvane
