// Developer diagnostics: one formatted line to the system log at debug priority (journalctl -p debug).
// Never a file, never the console. Callable from any thread.
#pragma once

namespace orvane {

// printf-style UTF-8 format. A format that fails to format is dropped.
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace orvane
