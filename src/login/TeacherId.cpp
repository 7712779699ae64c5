#include "login/TeacherId.h"

namespace orvane {
namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == 0x3000 ||
           c == 0x00A0;
}

}  // namespace

std::u16string TrimTeacherId(std::u16string_view typed) {
    size_t begin = 0, end = typed.size();
    while (begin < end && IsSpace(typed[begin]))
        ++begin;
    while (end > begin && IsSpace(typed[end - 1]))
        --end;
    return std::u16string(typed.substr(begin, end - begin));
}

TeacherIdProblem CheckTeacherId(std::u16string_view trimmed) {
    if (trimmed.empty())
        return TeacherIdProblem::kEmpty;
    if (trimmed.find_first_of(kTeacherIdForbidden) != std::u16string_view::npos)
        return TeacherIdProblem::kForbiddenCharacter;
    if (trimmed.size() > kTeacherIdMaxLength)
        return TeacherIdProblem::kTooLong;
    return TeacherIdProblem::kNone;
}

int TeacherIdMessageId(TeacherIdProblem problem) {
    switch (problem) {
        case TeacherIdProblem::kEmpty:
            return 1103;
        case TeacherIdProblem::kForbiddenCharacter:
            return 1104;
        case TeacherIdProblem::kTooLong:
            return 1105;
        case TeacherIdProblem::kNone:
            break;
    }
    return 0;
}

}  // namespace orvane
