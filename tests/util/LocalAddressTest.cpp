#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "util/LocalAddress.h"

namespace orvane {
namespace {

TEST(LocalAddress, PrivateRangesAreTextPrefixes) {
    for (const char* ip : {"10.0.0.1", "172.16.0.1", "172.31.255.1", "192.168.1.1"})
        EXPECT_TRUE(IsPrivateAddress(ip)) << ip;
    for (const char* ip :
         {"172.32.0.1", "172.15.0.1", "192.169.0.1", "100.64.0.1", "11.0.0.1", "1.10.0.0", ""})
        EXPECT_FALSE(IsPrivateAddress(ip)) << ip;
}

TEST(LocalAddress, ChoosesByTheAdapterRule) {
    struct Case {
        const char* name;
        std::vector<NetworkAdapter> adapters;
        std::string chosen;
    };
    const std::string none = "0.0.0.0";
    const Case cases[] = {
        {"private with gateway beats an earlier public one",
         {{"a", "203.0.113.5", "203.0.113.1"}, {"b", "192.168.0.10", "192.168.0.1"}},
         "192.168.0.10"},
        {"public with gateway beats private without",
         {{"a", "10.1.2.3", none}, {"b", "203.0.113.5", "203.0.113.1"}},
         "203.0.113.5"},
        {"lone private without gateway is the fallback", {{"a", "172.20.1.2", none}}, "172.20.1.2"},
        {"172.32.x is public", {{"a", "192.168.0.10", ""}, {"b", "172.32.0.5", "172.32.0.1"}}, "172.32.0.5"},
        {"public replaces a first 0.0.0.0",
         {{"a", none, none}, {"b", "203.0.113.5", "203.0.113.1"}},
         "203.0.113.5"},
        {"first 0.0.0.0 stays when nothing has a gateway",
         {{"a", none, none}, {"b", "10.0.0.5", none}},
         none},
        {"the first public with a gateway is kept",
         {{"a", "192.168.0.10", none},
          {"b", "203.0.113.5", "203.0.113.1"},
          {"c", "198.51.100.7", "198.51.100.1"}},
         "203.0.113.5"},
        {"a short address is never chosen unless first",
         {{"a", "203.0.113.5", none}, {"b", "1.2.3.4", "1.2.3.1"}},
         "203.0.113.5"},
        {"a short first address is the fallback", {{"a", "8.8.8.8", "8.8.8.1"}}, "8.8.8.8"},
        {"no adapters", {}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseLocalAddress(c.adapters), c.chosen) << c.name;
}

// The route table as the kernel writes it: addresses as the hex number of their network-order bytes.
std::string Hex(const char* dotted) {
    in_addr addr{};
    inet_pton(AF_INET, dotted, &addr);
    std::uint32_t value;
    std::memcpy(&value, &addr.s_addr, sizeof value);
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

TEST(LocalAddress, ReadsDefaultGatewaysFromTheRouteTable) {
    const std::string zero = Hex("0.0.0.0");
    auto row = [&](const char* iface, const char* dest, const char* gw, const char* flags, int metric,
                   const char* mask) {
        return std::string(iface) + "\t" + Hex(dest) + "\t" + Hex(gw) + "\t" + flags + "\t0\t0\t" +
               std::to_string(metric) + "\t" + Hex(mask) + "\t0\t0\t0\n";
    };
    const std::string table =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n" +
        row("wlan0", "0.0.0.0", "192.168.1.1", "0003", 600, "0.0.0.0") +
        row("wlan0", "0.0.0.0", "192.168.1.254", "0003", 100, "0.0.0.0") +
        row("wlan0", "192.168.1.0", "0.0.0.0", "0001", 0, "255.255.255.0") +
        row("eth0", "10.0.0.0", "10.0.0.1", "0003", 0, "255.0.0.0") +
        row("tun0", "0.0.0.0", "0.0.0.0", "0001", 50, "0.0.0.0") +
        row("down0", "0.0.0.0", "172.16.0.1", "0002", 0, "0.0.0.0") + "broken line\n";
    const auto gateways = ParseDefaultGateways(table);
    EXPECT_EQ(gateways,
              (std::map<std::string, std::string>{{"wlan0", "192.168.1.254"}, {"tun0", "0.0.0.0"}}));
    EXPECT_TRUE(ParseDefaultGateways("").empty());
}

TEST(LocalAddress, ListsThisMachinesAdaptersWithoutLoopback) {
    const auto adapters = ListNetworkAdapters();
    for (const auto& a : adapters) {
        in_addr addr{}, gw{};
        EXPECT_NE(a.name, "lo");
        EXPECT_EQ(inet_pton(AF_INET, a.address.c_str(), &addr), 1) << a.name;
        EXPECT_EQ(inet_pton(AF_INET, a.gateway.c_str(), &gw), 1) << a.name;
    }
    EXPECT_EQ(ListNetworkAdapters().size(), adapters.size());
    const std::string chosen = ChooseLocalAddress(adapters);
    EXPECT_EQ(GetLocalIpAddress(), std::u16string(chosen.begin(), chosen.end()));
}

}  // namespace
}  // namespace orvane
