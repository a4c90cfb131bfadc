#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "program/window_host.h"
#include "ui/qt/qt_host.h"

namespace harbrook {
namespace {

// Qt ends the process when it cannot reach the display it is pointed at, so
// the display is tried first: a session whose DISPLAY went stale (an SSH
// login, a closed X server) gets the terminal instead of a crash.
bool CanOpenX11(const char* display) {
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const bool open = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return open;
}

bool CanOpenWayland(const char* display) {
    std::string path = display;
    if (path.front() != '/') {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (!runtime || !*runtime) return false;
        path = std::string(runtime) + "/" + path;
    }
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool open =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return open;
}

}  // namespace

std::unique_ptr<FrontEndHost> MakeWindowHost(const Options& options) {
    if (!HasDisplay()) return nullptr;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    if ((wayland && *wayland && CanOpenWayland(wayland)) || (x11 && *x11 && CanOpenX11(x11)))
        return MakeQtHost(options);
    std::fprintf(
        stderr, "%s%s\n", ProgramLinePrefix().c_str(),
        FormatWithText(LoadUiString(kStrNoDisplay, 512), x11 && *x11 ? x11 : wayland).c_str());
    return nullptr;
}

void HandOverToWindowProgram(int, char**) {}

}  // namespace harbrook
