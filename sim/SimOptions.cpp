#include "sim/SimOptions.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

#include "sim/Scenarios.h"
#include "util/Text.h"

namespace orvane::sim {
namespace {

bool ParseInt(const std::string& text, int low, int high, int& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || value < low || value > high)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool ParseSeconds(const std::string& text, double& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(value >= 0) || value > 1e7)
        return false;
    out = value;
    return true;
}

bool IsPrintableAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

// A comma would split the field it is sent in; the wire has no escape for it.
bool FitsInOneField(const std::string& text) {
    return text.find(',') == std::string::npos;
}

struct ValueOption {
    const char* name;
    std::function<bool(const std::string&, SimOptions&)> set;
};

std::vector<ValueOption> ValueOptions() {
    using S = SimOptions;
    auto port = [](int S::*field) {
        return [field](const std::string& v, S& o) { return ParseInt(v, 0, 65535, o.*field); };
    };
    auto version = [](std::string S::*field) {
        return [field](const std::string& v, S& o) {
            if (!IsPrintableAscii(v) || !FitsInOneField(v))
                return false;
            o.*field = v;
            return true;
        };
    };
    return {
        {"--web-port", port(&S::webPort)},
        {"--login-port", port(&S::loginPort)},
        {"--relay-port", port(&S::relayPort)},
        {"--podium-port", port(&S::podiumPort)},
        {"--teacher-id",
         [](const std::string& v, S& o) {
             o.teacherId = v;
             return !v.empty() && FitsInOneField(v);
         }},
        {"--password",
         [](const std::string& v, S& o) {
             o.password = v;
             return !v.empty();
         }},
        {"--teacher-version", version(&S::teacherVersion)},
        {"--relay-version", version(&S::relayVersion)},
        {"--monitors", [](const std::string& v, S& o) { return ParseInt(v, 1, 3, o.monitors); }},
        {"--monitor-size",
         [](const std::string& v, S& o) { return ParseSize(v, o.monitorWidth, o.monitorHeight); }},
        {"--tile-size", [](const std::string& v, S& o) { return ParseSize(v, o.tileWidth, o.tileHeight); }},
        {"--fps", [](const std::string& v, S& o) { return ParseInt(v, 1, 60, o.framesPerSecond); }},
        {"--jpeg-quality", [](const std::string& v, S& o) { return ParseInt(v, 1, 100, o.jpegQuality); }},
        {"--refuse-text",
         [](const std::string& v, S& o) {
             o.refuseText = v;
             return !v.empty() && FitsInOneField(v);
         }},
        {"--end-message",
         [](const std::string& v, S& o) {
             o.endMessage = v;
             return FitsInOneField(v);
         }},
        {"--end-after", [](const std::string& v, S& o) { return ParseSeconds(v, o.endAfterSeconds); }},
        {"--packet-password",
         [](const std::string& v, S& o) {
             o.packetPassword = Utf8StringToWide(v);
             return !v.empty() && IsPrintableAscii(v);
         }},
        {"--aes-key",
         [](const std::string& v, S& o) {
             o.aesKey = Utf8StringToWide(v);
             return !v.empty() && IsPrintableAscii(v);
         }},
        {"--log",
         [](const std::string& v, S& o) {
             o.logPath = v;
             return !v.empty();
         }},
        {"--write-product-ini",
         [](const std::string& v, S& o) {
             o.productIniFolder = v;
             return !v.empty();
         }},
        {"--time-limit", [](const std::string& v, S& o) { return ParseSeconds(v, o.timeLimitSeconds); }},
    };
}

}  // namespace

bool ParseSize(const std::string& text, int& width, int& height) {
    const auto x = text.find('x');
    if (x == std::string::npos)
        return false;
    int w = 0, h = 0;
    if (!ParseInt(text.substr(0, x), 1, 8192, w) || !ParseInt(text.substr(x + 1), 1, 8192, h))
        return false;
    width = w;
    height = h;
    return true;
}

ParseResult ParseCommandLine(int argc, const char* const* argv, SimOptions& options) {
    ParseResult result;
    auto fail = [&](std::string message) {
        result.action = ParseResult::Action::kError;
        result.error = std::move(message);
        return result;
    };

    // Scenarios first, in the order given, so that single options always win over them.
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name;
        if (args[i] == "--scenario" || args[i] == "-s") {
            if (i + 1 >= args.size())
                return fail("option " + args[i] + " needs a scenario name");
            name = args[++i];
        } else if (args[i].rfind("--scenario=", 0) == 0) {
            name = args[i].substr(11);
        } else {
            continue;
        }
        const Scenario* scenario = FindScenario(name);
        if (!scenario)
            return fail("unknown scenario \"" + name + "\" (see --help)");
        scenario->apply(options);
        options.scenarios.push_back(name);
    }
    if (options.scenarios.empty())
        options.scenarios.push_back("demo");

    const std::vector<ValueOption> valueOptions = ValueOptions();
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        if (arg == "-h" || arg == "--help") {
            result.action = ParseResult::Action::kHelp;
            return result;
        }
        if (arg == "--version") {
            result.action = ParseResult::Action::kVersion;
            return result;
        }
        if (arg == "--scenario" || arg == "-s") {
            i += hasValue ? 0 : 1;
            continue;
        }
        if (arg == "--ports-auto") {
            options.webPort = options.loginPort = options.relayPort = options.podiumPort = 0;
            continue;
        }
        if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
            continue;
        }
        if (arg == "-v" || arg == "--verbose") {
            options.verbose = true;
            continue;
        }
        if (arg == "--touch-on") {
            options.touchOn = true;
            continue;
        }
        if (arg == "--broadcast-on") {
            options.broadcastOn = true;
            continue;
        }
        const ValueOption* option = nullptr;
        for (const ValueOption& candidate : valueOptions)
            if (arg == candidate.name)
                option = &candidate;
        if (!option)
            return fail("unknown option \"" + arg + "\" (see --help)");
        if (!hasValue) {
            if (i + 1 >= args.size())
                return fail("option " + arg + " needs a value");
            value = args[++i];
        }
        if (!option->set(value, options))
            return fail("bad value \"" + value + "\" for " + arg);
    }

    if (options.monitorWidth % options.tileWidth != 0 || options.monitorHeight % options.tileHeight != 0)
        return fail("the monitor size must be a whole number of tiles (see --monitor-size, --tile-size)");
    return result;
}

std::string HelpText() {
    std::ostringstream out;
    out << "Usage: orvane-classroom [options]\n"
           "\n"
           "The simulated classroom: plays every peer of the Tavelon Orvane pad remote on 127.0.0.1 -\n"
           "the web service (relay lookup over HTTPS and plain HTTP on one port), the login server, the\n"
           "relay server and the podium PC's teacher program - so the pad remote can be tried without a\n"
           "podium PC. It prints the product.ini the pad remote needs and runs until Ctrl+C, SIGTERM or\n"
           "--time-limit.\n"
           "\n"
           "Ports (127.0.0.1 only; 0 picks a free port):\n"
           "  --web-port N            web service, HTTPS and HTTP on one port (default 48080)\n"
           "  --login-port N          login server (default 48081)\n"
           "  --relay-port N          relay server (default 48082)\n"
           "  --podium-port N         podium PC's teacher program (default 48083)\n"
           "  --ports-auto            every port picks a free one; the first output line names them\n"
           "\n"
           "Behaviour (single options win over scenarios):\n"
           "  -s, --scenario NAME     apply a scenario (repeatable, combined in order; default: demo)\n"
           "  --teacher-id ID         the only teacher ID the service and login server accept (default: "
           "any)\n"
           "  --password TEXT         the podium PC asks for this connection password (default: none)\n"
           "  --teacher-version V     teacher program version in \"[MV00094]\" (default 2.0.1.1080)\n"
           "  --relay-version V       relay server version in \"[FR00001]\" (default 1.0.1.1000)\n"
           "  --monitors N            podium PC monitors, 1 to 3 (default 2)\n"
           "  --monitor-size WxH      size of each monitor (default 1280x720)\n"
           "  --tile-size WxH         tile size of the screen frames (default 80x80)\n"
           "  --fps N                 highest screen-frame rate (default 20)\n"
           "  --jpeg-quality N        JPEG quality of the screen frames, 1 to 100 (default 75)\n"
           "  --touch-on              the student pads' touch function starts on\n"
           "  --broadcast-on          the screen broadcast to the student pads starts on\n"
           "  --refuse-text TEXT      refusal text of the login-refuse-text scenario\n"
           "  --end-message TEXT      text of the podium-end scenario\n"
           "  --end-after SECONDS     delay of the podium-end* scenarios after acceptance (default 5)\n"
           "  --packet-password TEXT  text-packet password (default: the product.ini default)\n"
           "  --aes-key TEXT          key text of the connection password answer (default: the product.ini "
           "default)\n"
           "\n"
           "Output and life:\n"
           "  --log FILE              every message sent and received, one JSON object a line (- = stdout)\n"
           "  --write-product-ini DIR write the product.ini for this classroom into the pad's program folder "
           "DIR\n"
           "  --time-limit SECONDS    end cleanly after this time (default: run until stopped)\n"
           "  -q, --quiet             print the banner only, not every message\n"
           "  -v, --verbose           also print keep-alives, frame acknowledgements and input events\n"
           "  -h, --help              this text\n"
           "  --version               the program's version\n"
           "\n"
           "Scenarios:\n";
    for (const Scenario& s : AllScenarios()) {
        std::string name = s.name;
        name.resize(std::max<std::size_t>(name.size() + 1, 26), ' ');
        out << "  " << name << s.summary << "\n";
    }
    out << "\n"
           "Example: orvane-classroom --scenario relay --scenario password --write-product-ini ~/orvane\n";
    return out.str();
}

}  // namespace orvane::sim
