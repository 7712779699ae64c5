#include "login/TeacherId.h"

#include "login/TrimText.h"

namespace orvane {

std::u16string TrimTeacherId(std::u16string_view typed) {
    return TrimWhiteSpace(typed);
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
