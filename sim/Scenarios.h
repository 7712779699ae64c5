// The named scenarios: each is one edge case of the handshake (or a demo setting) one option away.
// A scenario only changes SimOptions fields; several can be combined and later ones win.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sim/SimOptions.h"

namespace orvane::sim {

struct Scenario {
    const char* name;
    const char* group;    // "web", "login", "relay", "podium" or "demo"
    const char* summary;  // one line for --help
    std::function<void(SimOptions&)> apply;
};

const std::vector<Scenario>& AllScenarios();

// Null when there is no scenario of that name.
const Scenario* FindScenario(const std::string& name);

}  // namespace orvane::sim
