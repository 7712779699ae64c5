// Checks of the teacher ID typed in the login dialog, before any network access.
#pragma once

#include <string>

namespace orvane {

enum class TeacherIdProblem { kNone, kEmpty, kForbiddenCharacter, kTooLong };

inline constexpr size_t kTeacherIdMaxLength = 20;
// The characters an ID may not hold: , \ < > & | : / * ? "
inline constexpr char16_t kTeacherIdForbidden[] = u",\\<>&|:/*?\"";

// Trims blanks at both ends of the typed text.
std::u16string TrimTeacherId(std::u16string_view typed);

// The first problem of an already trimmed ID, in the order empty, forbidden character, too long.
TeacherIdProblem CheckTeacherId(std::u16string_view trimmed);

// The string id of the message for a problem (1103, 1104, 1105), 0 for none.
int TeacherIdMessageId(TeacherIdProblem problem);

}  // namespace orvane
