#include "app/CrashHandler.h"

#include <unistd.h>
#include <QApplication>
#include <QFileInfo>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/CustomMessage.h"
#include "app/Language.h"
#include "platform/FatalSignals.h"
#include "uikit/Scale.h"
#include "util/Files.h"
#include "util/Text.h"

namespace orvane {
namespace {

std::string ExecutablePath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

void ConfigureReporter() {
    std::string pack = "-";
    if (g_languageModule && !g_languageModule->IsBuiltIn())
        pack =
            QFileInfo(QString::fromStdString(g_languageModule->PackPath())).absoluteFilePath().toStdString();
    SetCrashReporter(ExecutablePath(), {kCrashMessageSwitch, WideToUtf8String(g_languageCode), pack});
    SetCrashReportNote("Program: Tavelon Orvane 3.0.1.1007\nLanguage: " + WideToUtf8String(g_languageCode));
}

}  // namespace

void InstallCrashHandler() {
    InstallFatalSignalHandlers(GetModuleFolder() + "/" + kDumpFileName);
    SetCrashReporterBlocker(&CustomMessageOpenFlag());
    SetCrashReporterValue(&g_scaleFactor);
    ConfigureReporter();
}

void UpdateCrashHandlerLanguage() {
    ConfigureReporter();
}

QString CrashMessageText(const std::u16string& languageCode) {
    if (languageCode == u"Kor")
        return QString::fromUtf16(
            u"Tavelon Orvane이 예기치 않게 종료되었습니다.\n"
            u"Tavelon Orvane 설치 폴더에 덤프파일이 생성되었습니다.\n"
            u"생성된 OrvaneDump.dmp파일을 개발사로 보내주시면 빠르게 오류를 수정할 수 있습니다.");
    // The file is OrvaneDump.dmp in every language.
    return QStringLiteral(
        "Tavelon Orvane ended unexpectedly.\n"
        "Dump file has been generated in Tavelon Orvane install folder.\n"
        "The error may be corrected if you send OrvaneDump.dmp file to the development company.");
}

bool IsCrashMessageInvocation(int argc, char** argv) {
    return argc >= 3 && std::strcmp(argv[1], kCrashMessageSwitch) == 0;
}

int RunCrashMessage(int argc, char** argv) {
    QApplication app(argc, argv);
    g_languageCode = Utf8StringToWide(argv[2]);
    const std::string pack = argc >= 4 ? argv[3] : "-";
    std::unique_ptr<LanguageModule> module;
    if (g_languageCode != u"Kor" && pack != "-")
        module = LanguageModule::LoadPack(pack);
    g_languageModule = module ? module.get() : &LanguageModule::BuiltIn();
    if (argc >= 5) {
        const double scale = std::atof(argv[4]);
        if (scale > 0.1 && scale < 10)
            g_scaleFactor = scale;
    }
    // The text follows the crashed copy's language even when its pack cannot be read here.
    ShowCustomMessage(CrashMessageText(g_languageCode), QString(), 0);
    g_languageModule = nullptr;
    module.reset();
    return 0;
}

}  // namespace orvane
