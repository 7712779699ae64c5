#include <gtest/gtest.h>

#include "login/TeacherId.h"

namespace orvane {
namespace {

TEST(TeacherId, ChecksInTheDialogsOrder) {
    struct Case {
        std::u16string typed;
        TeacherIdProblem problem;
    };
    const Case cases[] = {
        {u"  teacher01  ", TeacherIdProblem::kNone},
        {u"", TeacherIdProblem::kEmpty},
        {u"   ", TeacherIdProblem::kEmpty},
        {std::u16string(20, u'a'), TeacherIdProblem::kNone},
        {std::u16string(21, u'a'), TeacherIdProblem::kTooLong},
        {u"김선생", TeacherIdProblem::kNone},
        {std::u16string(21, u'a') + u"/", TeacherIdProblem::kForbiddenCharacter},  // forbidden before long
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckTeacherId(TrimTeacherId(c.typed)), c.problem);
    for (char16_t bad : std::u16string_view(kTeacherIdForbidden)) {
        const std::u16string id = std::u16string(u"ab") + bad + u"c";
        EXPECT_EQ(CheckTeacherId(id), TeacherIdProblem::kForbiddenCharacter) << static_cast<int>(bad);
    }
    EXPECT_EQ(std::u16string_view(kTeacherIdForbidden).size(), 11u);
    EXPECT_EQ(TrimTeacherId(u"  teacher01  "), u"teacher01");
    EXPECT_EQ(TeacherIdMessageId(TeacherIdProblem::kTooLong), 1105);
}

}  // namespace
}  // namespace orvane
