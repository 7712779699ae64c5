// Widget tests talk to no desktop session bus. Without one, the bus library's attempt to find or
// start one leaks a buffer that the leak checker of the sanitizer builds reports at exit; a real
// bus that the developer's session provides is kept. Runs before main(), so before QApplication.
#include <cstdlib>

namespace {
const int kNoSessionBus = ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 0);
}  // namespace
