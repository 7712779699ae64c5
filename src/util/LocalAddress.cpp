#include "util/LocalAddress.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <net/route.h>
#include <netinet/in.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace orvane {
namespace {

constexpr const char* kNone = "0.0.0.0";

bool HasGateway(const std::string& gateway) {
    return !gateway.empty() && gateway != kNone;
}

std::string ReadRouteTable() {
    std::ifstream in("/proc/net/route", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ParseHex(const std::string& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 8)
        return false;
    value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}

}  // namespace

std::map<std::string, std::string> ParseDefaultGateways(std::string_view routeTable) {
    struct Best {
        long metric;
        std::string gateway;
    };
    std::map<std::string, Best> best;
    std::istringstream lines{std::string(routeTable)};
    std::string line;
    std::getline(lines, line);  // column titles
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flagsText, refCount, use, metricText, mask;
        if (!(fields >> iface >> destination >> gateway >> flagsText >> refCount >> use >> metricText >>
              mask))
            continue;
        std::uint32_t dest = 0, gw = 0, flags = 0, netmask = 0;
        if (!ParseHex(destination, dest) || !ParseHex(gateway, gw) || !ParseHex(flagsText, flags) ||
            !ParseHex(mask, netmask) || dest != 0 || netmask != 0 || !(flags & RTF_UP))
            continue;
        char* end = nullptr;
        const long metric = std::strtol(metricText.c_str(), &end, 10);
        if (*end != '\0')
            continue;
        // The kernel prints the address as the number its network-order bytes make in host order.
        in_addr addr{};
        if (flags & RTF_GATEWAY)
            std::memcpy(&addr.s_addr, &gw, sizeof gw);
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &addr, text, sizeof text);
        auto it = best.find(iface);
        if (it == best.end() || metric < it->second.metric)
            best[iface] = Best{metric, text};
    }
    std::map<std::string, std::string> gateways;
    for (auto& [iface, b] : best)
        gateways[iface] = std::move(b.gateway);
    return gateways;
}

std::vector<NetworkAdapter> ListNetworkAdapters() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return {};
    struct Entry {
        NetworkAdapter adapter;
        bool usable = false;
    };
    std::map<unsigned, Entry> byIndex;
    for (const ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_name)
            continue;
        // Address labels ("eth0:1") belong to their interface.
        std::string name(a->ifa_name);
        name = name.substr(0, name.find(':'));
        const unsigned index = if_nametoindex(name.c_str());
        if (index == 0)
            continue;
        Entry& e = byIndex[index];
        if (e.adapter.name.empty()) {
            e.adapter.name = name;
            e.adapter.address = kNone;
        }
        if ((a->ifa_flags & IFF_UP) && !(a->ifa_flags & IFF_LOOPBACK))
            e.usable = true;
        if (a->ifa_addr && a->ifa_addr->sa_family == AF_INET && e.adapter.address == kNone) {
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr, text,
                      sizeof text);
            e.adapter.address = text;
        }
    }
    freeifaddrs(list);
    const auto gateways = ParseDefaultGateways(ReadRouteTable());
    std::vector<NetworkAdapter> adapters;
    for (auto& [index, e] : byIndex) {
        if (!e.usable)
            continue;
        const auto gw = gateways.find(e.adapter.name);
        e.adapter.gateway = gw == gateways.end() ? kNone : gw->second;
        adapters.push_back(std::move(e.adapter));
    }
    return adapters;
}

bool IsPrivateAddress(std::string_view address) {
    if (address.substr(0, 3) == "10." || address.substr(0, 8) == "192.168.")
        return true;
    for (int second = 16; second <= 31; ++second)
        if (address.substr(0, 7) == "172." + std::to_string(second) + ".")
            return true;
    return false;
}

std::string ChooseLocalAddress(const std::vector<NetworkAdapter>& adapters) {
    std::string fallback;
    bool publicTaken = false;
    for (size_t i = 0; i < adapters.size(); ++i) {
        const std::string& ip = adapters[i].address;
        if (i == 0)
            fallback = ip;
        if (ip.size() < 8)
            continue;
        const bool gateway = HasGateway(adapters[i].gateway);
        if (IsPrivateAddress(ip)) {
            if (gateway)
                return ip;
        } else if (gateway && (!publicTaken || fallback == kNone)) {
            fallback = ip;
            publicTaken = true;
        }
    }
    return fallback;
}

std::u16string GetLocalIpAddress() {
    const std::string ip = ChooseLocalAddress(ListNetworkAdapters());
    return std::u16string(ip.begin(), ip.end());
}

}  // namespace orvane
