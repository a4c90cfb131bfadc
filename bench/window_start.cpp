// How soon a second start of the window program shows the window of the one
// already running, watched from an X server of the benchmark's own (Xvfb on
// a display from :81 to :89, trayer as the notification area, so the first
// start goes to the tray). Each run times, side by side:
//   probe   exec of a trivial Xlib client to its window being mapped: what
//           starting any X program costs on this machine at this moment;
//   second  exec of a second `harbrook` to the first one's main window being
//           mapped.
// The window is closed again (as a window manager closes it) between runs.
//   bench_window_start [--starts N]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_common.h"

using namespace harbrook::bench;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kUsage =
    "Usage: bench_window_start [--starts N]\n"
    "Starts Xvfb (a free display from :81 to :89), trayer and the window program,\n"
    "then N times: a trivial X client from exec to its window on the screen, and a\n"
    "second harbrook start from exec to the running program's window on the screen;\n"
    "prints every time, the medians and the second start against its 300 ms budget.\n"
    "  --starts N      runs (10)\n";

constexpr const char* kProbeName = "bench-window-probe";
constexpr double kBudgetSeconds = 0.3;
constexpr int kPortsInPlan = 13;  // the program's --ports-base plan

// The trivial client: one plain window, mapped, held until the end.
int MapProbeWindow() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 320, 200, 0,
                            BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, kProbeName);
    XMapWindow(display, window);
    XFlush(display);
    ::pause();
    return 0;
}

// The first display number from :81 to :89 with neither a lock nor a socket.
int FreeDisplay() {
    for (int n = 81; n <= 89; ++n) {
        const std::string number = std::to_string(n);
        if (!fs::exists("/tmp/.X" + number + "-lock") && !fs::exists("/tmp/.X11-unix/X" + number))
            return n;
    }
    return 0;
}

std::string WindowName(Display* display, Window window) {
    char* name = nullptr;
    std::string result;
    if (XFetchName(display, window, &name) && name) result = name;
    if (name) XFree(name);
    return result;
}

// Watches top-level windows being mapped and unmapped (no window manager
// runs, so they are the root's own children).
class MapWatcher {
  public:
    explicit MapWatcher(Display* display) : m_display(display) {
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
        XSync(display, False);
    }

    // Waits for a window that `wanted` accepts to be mapped; the moment the
    // event arrived, or nothing at the deadline.
    std::optional<Clock::time_point> WaitForMap(const std::function<bool(Window)>& wanted,
                                                std::chrono::milliseconds limit,
                                                Window* which = nullptr) {
        return Wait(MapNotify, wanted, limit, which);
    }
    std::optional<Clock::time_point> WaitForUnmap(Window window, std::chrono::milliseconds limit) {
        return Wait(
            UnmapNotify, [&](Window w) { return w == window; }, limit, nullptr);
    }
    // Drops whatever came so far.
    void Drain() {
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
        }
    }

  private:
    std::optional<Clock::time_point> Wait(int type, const std::function<bool(Window)>& wanted,
                                          std::chrono::milliseconds limit, Window* which) {
        const auto deadline = Clock::now() + limit;
        for (;;) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                const auto at = Clock::now();
                const Window window = type == MapNotify ? event.xmap.window : event.xunmap.window;
                if (event.type == type && wanted(window)) {
                    if (which) *which = window;
                    return at;
                }
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return std::nullopt;
            pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(left.count()));
        }
    }

    Display* m_display;
};

// The program's main window: named like the program and tall (the backup
// reminder carries the same name and is far lower).
bool IsMainWindow(Display* display, Window window) {
    if (WindowName(display, window) != "Harbrook") return false;
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.height >= 400;
}

// Closes a window as a window manager does: it is asked, not destroyed.
void AskToClose(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void Stop(int pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    WaitProgram(pid);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--map-probe") return MapProbeWindow();
    int starts = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--starts" && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            starts = std::atoi(argv[++i]);
        } else {
            std::fputs(kUsage, arg == "--help" || arg == "-h" ? stdout : stderr);
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }
    const std::string self = fs::canonical("/proc/self/exe").string();
    std::string pattern = (fs::temp_directory_path() / "harbrook-window-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path work = pattern;
    // The program's settings and data go here, never into the user's own.
    ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    ::setenv("HOME", work.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (work / "runtime").c_str(), 1);
    ::setenv("HARBROOK_ADDRESS", "127.0.0.1", 1);
    fs::create_directories(work / "backups");
    fs::create_directories(work / "runtime");
    fs::permissions(work / "runtime", fs::perms::owner_all);

    const int number = FreeDisplay();
    if (number == 0) {
        std::fprintf(stderr, "no free X display from :81 to :89\n");
        return 1;
    }
    char name[8];
    std::snprintf(name, sizeof name, ":%d", number);
    const int xvfb = SpawnProgram({XVFB_PROGRAM, std::string(name), "-noreset", "-nolisten", "tcp",
                                   "-screen", "0", "1280x900x24"});
    Display* display = nullptr;
    for (const auto start = Clock::now(); !display && SecondsSince(start) < 10;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        display = XOpenDisplay(name);
    }
    int status = 1;
    int tray = -1, first = -1;
    if (display) {
        ::setenv("DISPLAY", name, 1);
        MapWatcher watcher(display);
        tray = SpawnProgram({TRAYER_PROGRAM, "--edge", "top", "--align", "right", "--widthtype",
                             "request", "--height", "32"});
        watcher.WaitForMap([](Window) { return true; }, std::chrono::seconds(10));
        const int base = FreeLoopbackPortRange(kPortsInPlan);
        const std::vector<std::string> program{HARBROOK_PROGRAM,
                                               "--address",
                                               "127.0.0.1",
                                               "--ports-base",
                                               std::to_string(base),
                                               "--backup-root",
                                               (work / "backups").string()};
        first = SpawnProgram(program);
        // The first start is ready once it accepts on its pairing port and
        // has settled (its icon docked, a reminder perhaps shown).
        for (const auto start = Clock::now(); !PortAccepts(base) && SecondsSince(start) < 15;)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::seconds(2));
        watcher.Drain();

        std::printf("window program: second start to its window mapped, on display %s\n", name);
        std::vector<double> probes, seconds;
        for (int run = 0; run < starts; ++run) {
            double probe = -1, second = -1, ended = -1;
            for (int leg = 0; leg < 2; ++leg) {
                watcher.Drain();
                if ((leg + run) % 2 == 0) {
                    const auto start = Clock::now();
                    const int pid = SpawnProgram({self, "--map-probe"});
                    const auto mapped = watcher.WaitForMap(
                        [&](Window w) { return WindowName(display, w) == kProbeName; },
                        std::chrono::seconds(10));
                    if (mapped) probe = Milliseconds(start, *mapped);
                    Stop(pid);
                } else {
                    Window window = 0;
                    const auto start = Clock::now();
                    const int pid = SpawnProgram(program);
                    const auto mapped =
                        watcher.WaitForMap([&](Window w) { return IsMainWindow(display, w); },
                                           std::chrono::seconds(10), &window);
                    if (WaitProgram(pid) != 0) std::fprintf(stderr, "the second start failed\n");
                    ended = Milliseconds(start, Clock::now());
                    if (!mapped) break;
                    second = Milliseconds(start, *mapped);
                    AskToClose(display, window);
                    if (!watcher.WaitForUnmap(window, std::chrono::seconds(5)))
                        std::fprintf(stderr, "the window did not close\n");
                }
            }
            std::printf(
                "  run %2d: probe %6.1f ms  second start %6.1f ms (it ended after %6.1f ms)"
                "  second/probe %.2f\n",
                run + 1, probe, second, ended, probe > 0 ? second / probe : 0);
            std::fflush(stdout);
            if (probe < 0 || second < 0) {
                std::fprintf(stderr, "a window was not mapped within 10 s\n");
                break;
            }
            probes.push_back(probe);
            seconds.push_back(second);
        }
        if (seconds.size() == static_cast<std::size_t>(starts)) {
            const double median = Median(seconds);
            std::printf("  second start: median %.1f ms, %.1f..%.1f ms; first run %.1f ms\n",
                        median, *std::min_element(seconds.begin(), seconds.end()),
                        *std::max_element(seconds.begin(), seconds.end()), seconds.front());
            std::printf("  against the 300 ms budget: median %.2f, worst %.2f\n",
                        median / 1000 / kBudgetSeconds,
                        *std::max_element(seconds.begin(), seconds.end()) / 1000 / kBudgetSeconds);
            std::printf("  against the trivial client (median %.1f ms): median ratio %.2f\n",
                        Median(probes), median / Median(probes));
            status = 0;
        }
        XCloseDisplay(display);
    } else {
        std::fprintf(stderr, "Xvfb did not start on %s\n", name);
    }
    Stop(first);
    Stop(tray);
    Stop(xvfb);
    std::error_code ec;
    fs::remove_all(work, ec);
    return status;
}
