// Ctrl-C, Ctrl-Break and a closing console arrive through the console control
// handler on a thread of the system's; it only records what came and sets an
// event, and the one waiting thread takes it from there.
#include <windows.h>

#include <atomic>

#include "platform/quit_request.h"

namespace harbrook::platform {
namespace {

std::atomic<const char*> g_reason{nullptr};

HANDLE QuitEvent() {
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

void Raise(const char* reason) {
    const char* none = nullptr;
    g_reason.compare_exchange_strong(none, reason);
    SetEvent(QuitEvent());
}

BOOL WINAPI OnConsoleControl(DWORD type) {
    switch (type) {
        case CTRL_C_EVENT:
            Raise("CTRL_C");
            return TRUE;
        case CTRL_BREAK_EVENT:
            Raise("CTRL_BREAK");
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            Raise("CTRL_CLOSE");
            // The system ends the process when this returns: give the program
            // a moment to shut down in order first.
            Sleep(5000);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void BlockQuitRequests() {
    QuitEvent();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

const char* WaitForQuitRequest() {
    WaitForSingleObject(QuitEvent(), INFINITE);
    const char* reason = g_reason.load();
    return reason ? reason : "quit";
}

void RequestQuit() {
    Raise("quit request");
}

}  // namespace harbrook::platform
