#include "app/NetworkLayer.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <netinet/in.h>

namespace orvane {
namespace {

struct sigaction g_previousPipeAction;
bool g_started = false;

}  // namespace

int InitNetworkLayer() {
    if (g_started)
        return 0;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (::sigaction(SIGPIPE, &ignore, &g_previousPipeAction) != 0)
        return -1;
    g_started = true;
    return 0;
}

void ShutdownNetworkLayer() {
    if (!g_started)
        return;
    ::sigaction(SIGPIPE, &g_previousPipeAction, nullptr);
    g_started = false;
}

bool InitSocketSupport() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

}  // namespace orvane
