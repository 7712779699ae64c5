#include "util/DebugLog.h"

#include <syslog.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace orvane {

void DebugLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0) {
        va_end(args);
        return;
    }
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    syslog(LOG_USER | LOG_DEBUG, "%s", text.data());
}

}  // namespace orvane
