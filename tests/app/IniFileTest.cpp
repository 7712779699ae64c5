#include <gtest/gtest.h>

#include <filesystem>

#include "app/IniFile.h"
#include "support/TempFolder.h"
#include "util/LocalTime.h"
#include "util/Text.h"

namespace orvane {
namespace {

using testing_support::ReadFileBytes;
using testing_support::TempFolder;
using testing_support::Utf16Le;
using testing_support::WriteFileBytes;

TEST(DetectTextEncoding, ClassifiesByMarkAndContent) {
    struct Case {
        std::string bytes;
        int expected;
    };
    const Case cases[] = {
        {"\xFF\xFE[\0", 3},
        {"\xEF\xBB\xBF[default]", 2},
        {"[default]\nrsip=\xEC\x84\xA0", 2},  // UTF-8 Korean, no mark
        {"[default]\nrsip=\xBC\xB1", 1},      // CP949 Korean
        {"[default]\n", 1},                   // pure ASCII
        {"a", 1},
        {"", 1},
        {std::string("[\0d\0\r\0\n\0", 8), 2},  // UTF-16LE without mark
        {std::string("\0[\0d\0\r\0\n", 8), 2},  // UTF-16BE without mark
        {std::string("\r\0\0\n", 4), 1},        // both kinds
        {"ok\xE2\x82", 1},                      // cut-off sequence, nothing multi-byte before
        {"\xEC\x84\xA0ok\xE2\x82", 2},          // cut-off after a good sequence
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectTextEncodingOfBytes(c.bytes), c.expected) << c.bytes;
    EXPECT_EQ(DetectTextEncoding("/nonexistent/file.ini"), -1);
}

TEST(MakeDatedBackup, TakesTheFirstFreeNumber) {
    TempFolder dir;
    const std::string path = dir / "config.ini";
    WriteFileBytes(path, "x");
    WriteFileBytes(dir / "config_2024051701.ini", "taken");
    EXPECT_EQ(MakeDatedBackup(path, "20240517", nullptr), dir / "config_2024051702.ini");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ReadFileBytes(dir / "config_2024051701.ini"), "taken");

    WriteFileBytes(path, "y");
    for (int nn = 3; nn <= 9; ++nn)
        WriteFileBytes(dir / ("config_202405170" + std::to_string(nn) + ".ini"), "t");
    for (int nn = 10; nn <= 99; ++nn)
        WriteFileBytes(dir / ("config_20240517" + std::to_string(nn) + ".ini"), "t");
    EXPECT_EQ(MakeDatedBackup(path, "20240517", nullptr), "");
    EXPECT_EQ(ReadFileBytes(path), "y");
}

TEST(IniFileOpen, FirstStartCreatesBothFilesWithDefaults) {
    TempFolder dir;
    ConfigIni().Open("config.ini", dir.path());
    EXPECT_EQ(ReadFileBytes(dir / "config.ini"), Utf16Le(u"[default]"));
    EXPECT_EQ(ConfigIni().GetString(u"default", u"scalefactor", u""), u"");
    EXPECT_EQ(ConfigIni().GetString(u"", u"scalefactor", u"dflt"), u"dflt");

    StoredAddress address;
    EXPECT_TRUE(LoadStoredAddress(address, dir.path()));
    EXPECT_EQ(address.ip, u"0.0.0.0");
    EXPECT_EQ(address.port, u"10240");
    const std::string bytes = ReadFileBytes(dir / "setting.ini");
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(SettingIni().GetString(u"default", u"rsip", u""), u"0.0.0.0");
    EXPECT_EQ(SettingIni().GetString(u"default", u"rsport", u""), u"10240");
    // The freshly created ANSI file was converted, so its dated backup lies beside it.
    EXPECT_TRUE(std::filesystem::exists(dir / ("setting_" + DateStamp(LocalTimeNow()) + "01.ini")));
    EXPECT_EQ(std::filesystem::current_path().string(), dir.path());
}

TEST(IniFileOpen, ConvertsUtf8AndKeepsTheOriginal) {
    TempFolder dir;
    const std::string original = "[default]\r\nrsip=학교.example\r\nrsport=0\r\n";
    WriteFileBytes(dir / "setting.ini", original);
    StoredAddress address;
    EXPECT_TRUE(LoadStoredAddress(address, dir.path()));
    EXPECT_EQ(address.ip, u"학교.example");
    EXPECT_EQ(address.port, u"10240");  // a stored 0 counts as missing
    EXPECT_EQ(ReadFileBytes(dir / ("setting_" + DateStamp(LocalTimeNow()) + "01.ini")), original);
    EXPECT_EQ(ReadFileBytes(dir / "setting.ini"),
              Utf16Le(u"[default]\r\nrsip=학교.example\r\nrsport=10240\r\n"));
}

TEST(IniFileOpen, ConvertsAnsiAndReadsScaleFactor) {
    TempFolder dir;
    WriteFileBytes(dir / "config.ini", "[default]\nscalefactor=1.25\nname=" + WideToAnsi(u"교실") + "\n");
    ConfigIni().Open("config.ini", dir.path());
    EXPECT_EQ(ConfigIni().GetString(u"default", u"scalefactor", u""), u"1.25");
    EXPECT_EQ(ConfigIni().GetString(u"default", u"name", u""), u"교실");
}

TEST(IniFileOpen, BrokenFilesGiveDefaultsAndKeepTheirBytes) {
    const std::string cases[] = {
        std::string("\x00\x01\x02\xFE\x80\x81\x00", 7),
        std::string(1 << 20, 'z'),
        "no section here\n",
        std::string("\xFF\xFE[\0d", 5),
    };
    for (const auto& bytes : cases) {
        TempFolder dir;
        WriteFileBytes(dir / "setting.ini", bytes);
        StoredAddress address;
        LoadStoredAddress(address, dir.path());
        EXPECT_EQ(address.ip, u"0.0.0.0");
        EXPECT_EQ(address.port, u"10240");
        if (bytes.compare(0, 2, "\xFF\xFE") != 0) {
            EXPECT_EQ(ReadFileBytes(dir / ("setting_" + DateStamp(LocalTimeNow()) + "01.ini")), bytes);
        }
    }
}

TEST(GuardSettingsFile, CreatesAndOpensSettingIni) {
    TempFolder dir;
    GuardSettingsFile(dir.path());
    WriteSetting(u"default", u"rsip", u"192.168.0.10");
    WriteSetting(u"", u"rsport", u"1");  // an empty section writes nothing
    EXPECT_EQ(SettingIni().GetString(u"default", u"rsip", u""), u"192.168.0.10");
    EXPECT_EQ(SettingIni().GetString(u"default", u"rsport", u"none"), u"none");
}

}  // namespace
}  // namespace orvane
