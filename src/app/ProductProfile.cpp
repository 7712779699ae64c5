#include "app/ProductProfile.h"

#include <fstream>
#include <iterator>

#include "platform/PrivateProfile.h"
#include "util/Files.h"
#include "util/Text.h"

namespace orvane {

ProductProfile ParseProductProfile(const std::string& bytes) {
    ProductProfile profile;
    const ProfileEncoding utf8 = ProfileEncoding::kUtf8;
    auto read = [&](std::u16string_view key, std::u16string_view fallback) {
        return ReadProfileStringFromBytes(bytes, u"product", key, fallback, &utf8);
    };
    profile.serviceHost = WideToUtf8String(read(u"service_host", Utf8StringToWide(profile.serviceHost)));
    profile.packetPassword = read(u"packet_password", profile.packetPassword);
    profile.aesKey = read(u"aes_key", profile.aesKey);
    return profile;
}

ProductProfile LoadProductProfile(const std::string& folder) {
    const std::string dir = folder.empty() ? GetModuleFolder() : folder;
    std::ifstream in(dir + "/product.ini", std::ios::binary);
    if (!in)
        return {};
    return ParseProductProfile(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

std::string FormatProductProfile(const ProductProfile& profile) {
    return "[product]\nservice_host=" + profile.serviceHost +
           "\npacket_password=" + WideToUtf8String(profile.packetPassword) +
           "\naes_key=" + WideToUtf8String(profile.aesKey) + "\n";
}

}  // namespace orvane
