#include "util/LocalTime.h"

#include <cstdio>

namespace orvane {

LocalDateTime LocalTimeOf(std::time_t when) {
    std::tm tm{};
    localtime_r(&when, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string DateStamp(const LocalDateTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.year % 10000, t.month % 100, t.day % 100);
    return text;
}

}  // namespace orvane
