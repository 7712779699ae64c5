// TavelonOrvane, the teacher's pad remote.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/CrashHandler.h"
#include "app/OrvaneApp.h"
#include "mainwnd/MainWindowRunner.h"
#include "util/Text.h"

int main(int argc, char** argv) {
    // The crash message of a copy that has just crashed, in a process of its own.
    if (orvane::IsCrashMessageInvocation(argc, argv))
        return orvane::RunCrashMessage(argc, argv);

    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "TavelonOrvane: no graphical session (DISPLAY is not set).\n");
        return 1;
    }
    QApplication qt(argc, argv);
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(orvane::Utf8StringToWide(argv[i]));

    orvane::COrvaneApp app(orvane::RunOrvaneMainWindow);
    app.InitInstance(arguments);
    return app.ExitInstance();
}
