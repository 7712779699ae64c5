// ShowCustomMessage: the one call through which the pad remote reports to the user.
#pragma once

#include <QString>
#include <atomic>
#include <string>
#include <string_view>

namespace orvane {

// Shows `text` in the program's modal message box (CCustomMsgDlg) and returns its result: 1 OK,
// 6 Yes, 7 No, 2 Cancel or closed. `caption` null (a null QString / nullptr) means "Tavelon Orvane".
// `type`: 0 OK; 3 Yes, No, Cancel; 4 Yes, No; any other value only the close button.
// One box at a time in the whole process: while one is open this shows nothing and returns -1.
// Callable from any thread: the box always runs on the GUI thread, and a caller on another thread
// waits for the answer (so the GUI thread must never be waiting for that caller).
int ShowCustomMessage(const QString& text, const QString& caption = QString(), int type = 0);
int ShowCustomMessage(std::u16string_view text, const char16_t* caption, int type);

// True while a box shown by ShowCustomMessage is open (set before it is made, cleared when it has closed).
bool IsCustomMessageOpen();
const std::atomic<bool>& CustomMessageOpenFlag();

}  // namespace orvane
