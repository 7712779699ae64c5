// The pad's own IPv4 address on the classroom network: the network adapters with their first address and
// default gateway, and the rule that picks one address from them. Stateless; any thread.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// "0.0.0.0" stands for no address and for no gateway.
struct NetworkAdapter {
    std::string name;
    std::string address;  // first IPv4 address, dotted decimal
    std::string gateway;  // gateway of the adapter's default route
};

// The adapters that are up, loopback excluded, in interface index order (stable between calls), each with
// its first IPv4 address ("0.0.0.0" when it has none) and the gateway of its default route from
// /proc/net/route ("0.0.0.0" when it has none). Empty when the system cannot be asked.
std::vector<NetworkAdapter> ListNetworkAdapters();

// Default-route gateways by interface name from the text of /proc/net/route; the route with the lowest
// metric wins, then the first listed. A default route without a gateway gives "0.0.0.0".
std::map<std::string, std::string> ParseDefaultGateways(std::string_view routeTable);

// 10.x, 172.16.x to 172.31.x and 192.168.x, compared on the leading characters of the text.
bool IsPrivateAddress(std::string_view address);

// The first private address on an adapter with a gateway; else the first public address on an adapter
// with a gateway; else the first adapter's address, whatever it is; else empty text. Addresses shorter
// than 8 characters are only ever chosen as the first adapter's address.
std::string ChooseLocalAddress(const std::vector<NetworkAdapter>& adapters);

// ChooseLocalAddress over ListNetworkAdapters, as text.
std::u16string GetLocalIpAddress();

}  // namespace orvane
