#include <gtest/gtest.h>

#include "app/ProductProfile.h"
#include "support/TempFolder.h"

namespace orvane {
namespace {

TEST(ProductProfile, DefaultsHaveTheirRequiredForms) {
    const ProductProfile p;
    ASSERT_EQ(p.packetPassword.size(), 15u);
    for (size_t i = 0; i < 11; ++i)
        EXPECT_TRUE(p.packetPassword[i] >= u'a' && p.packetPassword[i] <= u'z');
    for (size_t i = 11; i < 15; ++i)
        EXPECT_TRUE(std::ispunct(static_cast<int>(p.packetPassword[i])));
    EXPECT_EQ(p.aesKey.size(), 32u);
}

TEST(ProductProfile, ReadsKeysAndKeepsDefaultsForMissingOnes) {
    testing_support::TempFolder dir;
    EXPECT_EQ(LoadProductProfile(dir.path()).serviceHost, ProductProfile().serviceHost);  // no file
    testing_support::WriteFileBytes(
        dir / "product.ini",
        "[product]\nservice_host = 학교.example:8443\npacket_password=abcdefghijk!!!!\n");
    const ProductProfile p = LoadProductProfile(dir.path());
    EXPECT_EQ(p.serviceHost, "학교.example:8443");
    EXPECT_EQ(p.packetPassword, u"abcdefghijk!!!!");
    EXPECT_EQ(p.aesKey, ProductProfile().aesKey);
    const ProductProfile round = ParseProductProfile(FormatProductProfile(p));
    EXPECT_EQ(round.serviceHost, p.serviceHost);
    EXPECT_EQ(round.aesKey, p.aesKey);
}

}  // namespace
}  // namespace orvane
