// The local wall-clock time with one-second resolution, as the programs use it for dated names.
#pragma once

#include <ctime>
#include <string>

namespace orvane {

struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

LocalDateTime LocalTimeOf(std::time_t when);
inline LocalDateTime LocalTimeNow() {
    return LocalTimeOf(std::time(nullptr));
}

// "YYYYMMDD" of the given time.
std::string DateStamp(const LocalDateTime& t);

}  // namespace orvane
