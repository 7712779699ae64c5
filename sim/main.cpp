// orvane-classroom: every peer of the pad remote on 127.0.0.1, from one command.
#include <QCoreApplication>
#include <cstdio>

#include "sim/Classroom.h"
#include "sim/SimOptions.h"

int main(int argc, char** argv) {
    orvane::sim::SimOptions options;
    const orvane::sim::ParseResult parsed = orvane::sim::ParseCommandLine(argc, argv, options);
    switch (parsed.action) {
        case orvane::sim::ParseResult::Action::kHelp:
            std::fputs(orvane::sim::HelpText().c_str(), stdout);
            return 0;
        case orvane::sim::ParseResult::Action::kVersion:
            std::printf("orvane-classroom %s\n", orvane::sim::Classroom::Version());
            return 0;
        case orvane::sim::ParseResult::Action::kError:
            std::fprintf(stderr, "orvane-classroom: %s\n", parsed.error.c_str());
            return 2;
        case orvane::sim::ParseResult::Action::kRun:
            break;
    }

    QCoreApplication app(argc, argv);
    orvane::sim::Classroom classroom(options);
    std::string error;
    if (!classroom.Start(error)) {
        std::fprintf(stderr, "orvane-classroom: %s\n", error.c_str());
        return 1;
    }
    app.exec();
    return 0;
}
