#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include "platform/quit_request.h"

namespace harbrook::platform {
namespace {
sigset_t QuitSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}
}  // namespace

void BlockQuitRequests() {
    const sigset_t set = QuitSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

const char* WaitForQuitRequest() {
    const sigset_t set = QuitSignals();
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        default:
            return "SIGHUP";
    }
}

void RequestQuit() {
    ::kill(::getpid(), SIGTERM);
}

}  // namespace harbrook::platform
