#include <gtest/gtest.h>

#include "platform/PrivateProfile.h"
#include "support/TempFolder.h"
#include "util/Text.h"

namespace orvane {
namespace {

using testing_support::Utf16Le;

TEST(ProfileRead, FollowsTheSystemReaderRules) {
    const std::string file = Utf16Le(
        u"; comment\r\n[Other]\r\nrsip=9.9.9.9\r\n[ DEFAULT ]\r\n  RsIp =  10.0.0.5  \r\nname=\"quoted "
        u"value\"\r\n"
        u"korean=선생님\r\nempty=\r\n[default]\r\nrsip=second section is ignored\r\n");
    struct Case {
        std::u16string section, key, fallback, expected;
    };
    const Case cases[] = {
        {u"default", u"rsip", u"x", u"10.0.0.5"},
        {u"Default", u"RSIP", u"x", u"10.0.0.5"},
        {u"default", u"name", u"x", u"quoted value"},
        {u"default", u"korean", u"x", u"선생님"},
        {u"default", u"empty", u"x", u""},
        {u"default", u"missing", u"fallback  ", u"fallback"},
        {u"nosection", u"rsip", u"d", u"d"},
        {u"other", u"rsip", u"d", u"9.9.9.9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadProfileStringFromBytes(file, c.section, c.key, c.fallback), c.expected)
            << WideToUtf8String(c.key);
}

TEST(ProfileRead, CutsLongValuesToTheBuffer) {
    const std::u16string longValue(40000, u'x');
    const std::string file = Utf16Le(u"[default]\r\nk=" + longValue + u"\r\n");
    EXPECT_EQ(ReadProfileStringFromBytes(file, u"default", u"k", u"").size(), kProfileBufferChars - 1);
}

TEST(ProfileRead, SurvivesBrokenFiles) {
    const std::string cases[] = {
        std::string("\xFF\xFE[\0d\0", 6),                // truncated UTF-16
        Utf16Le(u"[default]\nk=v") + "\x01",             // odd length
        Utf16Le(u"[default]\r\nk=\xD800\r\n"),           // lone surrogate
        std::string("\x00\x01\x02\xFF\xFE\x80\x81", 7),  // binary
        "k=v\nno section at all\n",
        std::string(1 << 20, 'a'),  // one 1 MB line
    };
    for (const auto& bytes : cases) {
        const std::u16string value = ReadProfileStringFromBytes(bytes, u"default", u"absent", u"dflt");
        EXPECT_EQ(value, u"dflt");
    }
}

TEST(ProfileWrite, ReplacesOneKeyAndKeepsEveryOtherByte) {
    const std::string original =
        Utf16Le(u"[default]\r\nrsip=1.1.1.1\r\n; note\r\nrsport=10240\r\n\r\n[x]\nk=v\n");
    const std::string updated = WriteProfileStringToBytes(original, u"DEFAULT", u"rsip", u"2.2.2.2");
    EXPECT_EQ(updated, Utf16Le(u"[default]\r\nrsip=2.2.2.2\r\n; note\r\nrsport=10240\r\n\r\n[x]\nk=v\n"));

    const std::string added = WriteProfileStringToBytes(original, u"default", u"new", u"값");
    EXPECT_EQ(added,
              Utf16Le(u"[default]\r\nrsip=1.1.1.1\r\n; note\r\nrsport=10240\r\nnew=값\r\n\r\n[x]\nk=v\n"));

    const std::string section = WriteProfileStringToBytes(Utf16Le(u"[default]"), u"other", u"k", u"v");
    EXPECT_EQ(section, Utf16Le(u"[default]\r\n[other]\r\nk=v\r\n"));
}

TEST(ProfileWrite, KeepsEncodingMarkAndOddBytes) {
    // A CP949 file stays CP949, and bytes that are not valid CP949 survive untouched.
    const std::string ansi = "[default]\nbroken=\x80\x80\nrsip=1\n";
    EXPECT_EQ(WriteProfileStringToBytes(ansi, u"default", u"rsip", u"한"),
              "[default]\nbroken=\x80\x80\nrsip=" + WideToAnsi(u"한") + "\n");
    // UTF-8 with mark stays UTF-8 with mark.
    EXPECT_EQ(WriteProfileStringToBytes("\xEF\xBB\xBF[default]\r\nk=1\r\n", u"default", u"k", u"한"),
              "\xEF\xBB\xBF[default]\r\nk=\xED\x95\x9C\r\n");
    // The stray last byte of an odd-length UTF-16 file is kept.
    const std::string odd = Utf16Le(u"[default]\r\nk=1") + "\x41";
    EXPECT_EQ(WriteProfileStringToBytes(odd, u"default", u"k", u"2"), Utf16Le(u"[default]\r\nk=2") + "\x41");
}

TEST(ProfileWrite, FileIsReplacedWhole) {
    testing_support::TempFolder dir;
    const std::string path = dir / "setting.ini";
    ASSERT_TRUE(WriteProfileString(u"default", u"rsip", u"10.1.2.3", path));  // created as UTF-16LE
    EXPECT_EQ(testing_support::ReadFileBytes(path), Utf16Le(u"[default]\r\nrsip=10.1.2.3\r\n"));
    EXPECT_EQ(ReadProfileString(u"default", u"rsip", u"", path), u"10.1.2.3");
    EXPECT_FALSE(WriteProfileString(u"default", u"k", u"v", dir / "missing-folder/x.ini"));
}

}  // namespace
}  // namespace orvane
