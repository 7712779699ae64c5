#include <gtest/gtest.h>

#include "util/Text.h"

namespace orvane {
namespace {

struct SplitCase {
    std::u16string text;
    std::u16string separator;
    std::vector<std::u16string> pieces;
    int result;
};

TEST(SplitText, CountsPiecesPlusOneAndRemovesQuotes) {
    const SplitCase cases[] = {
        {u"a,,b", u",", {u"a", u"", u"b"}, 4},
        {u"a,", u",", {u"a", u""}, 3},
        {u"x", u",", {u"x"}, 2},
        {u"", u",", {}, 0},
        {u"\"quoted\",b", u",", {u"quoted", u"b"}, 3},
        {u"one\r\ntwo\nthree\r\n", u"\n", {u"one", u"two", u"three", u""}, 5},
        {u"one\r\ntwo", u"\r\n", {u"one", u"two"}, 3},
        {u"1,2,3,4,5,6,7,8", u",", {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8"}, 9},
        {u"a::b", u"::", {u"a", u"b"}, 3},
    };
    for (const auto& c : cases) {
        std::vector<std::u16string> out{u"stale"};
        EXPECT_EQ(SplitText(c.text, c.separator, out), c.result);
        EXPECT_EQ(out, c.pieces);
    }
}

TEST(Cp949, RoundTripsKoreanAndReplacesUnmappable) {
    const std::u16string korean = u"선생님 teacher01";
    const std::string bytes = WideToAnsi(korean);
    EXPECT_EQ(bytes.substr(0, 2), "\xBC\xB1");  // 선 in CP949
    EXPECT_EQ(AnsiToWide(bytes.c_str()), korean);
    EXPECT_EQ(WideToAnsi(u"a\u0E01b"), "a?b");              // Thai has no CP949 mapping
    EXPECT_EQ(WideToAnsi(std::u16string(1, 0xD800)), "?");  // lone surrogate
    EXPECT_EQ(AnsiToWide(nullptr), u"");
    EXPECT_EQ(AnsiToWide(std::string_view("\xBC", 1)), u"?");  // lead byte cut off
    EXPECT_EQ(AnsiToWide(std::string_view("ab\0cd", 5)), u"ab");
}

TEST(Utf8, ConvertsBothWaysAndReplacesBrokenInput) {
    const std::u16string text = u"한글 \U0001F600 x";
    EXPECT_EQ(Utf8StringToWide(WideToUtf8String(text)), text);
    EXPECT_EQ(WideToUtf8String(u""), "");
    EXPECT_EQ(Utf8ToWide(nullptr), u"");
    EXPECT_EQ(Utf8StringToWide("a\xFF"
                               "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8StringToWide("\xE2\x82"), u"\uFFFD");        // cut off
    EXPECT_EQ(Utf8StringToWide("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
    EXPECT_EQ(WideToUtf8String(std::u16string(1, 0xDC00)), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace orvane
