#include "tests/app/x_screen.h"

#include <signal.h>

#include <regex>
#include <sstream>

#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;

void Stop(std::unique_ptr<ChildProcess>& child) {
    if (!child) return;
    child->Signal(SIGTERM);  // lets Xvfb remove its lock and socket
    child->Wait(5s);
    child.reset();
}

}  // namespace

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

XScreen::XScreen(std::filesystem::path logs) : m_logs(std::move(logs)) {
    std::filesystem::create_directories(m_logs);
    // Xvfb picks a free display and tells it on its stdout; -noreset keeps it
    // from resetting (and refusing clients for a moment) when the last one leaves.
    m_xvfb = std::make_unique<ChildProcess>(
        XVFB_EXE,
        std::vector<std::string>{"-displayfd", "1", "-noreset", "-screen", "0", "1280x900x24",
                                 "-nolisten", "tcp"},
        m_logs, "xvfb");
    if (!WaitFor([&] { return m_xvfb->Out().find('\n') != std::string::npos; }, 20s)) return;
    m_display = ":" + FirstLine(m_xvfb->Out());
    SetEnv("DISPLAY", m_display);
}

XScreen::~XScreen() {
    StopTray();
    Stop(m_xvfb);
    UnsetEnv("DISPLAY");
}

bool XScreen::StartTray() {
    m_tray = std::make_unique<ChildProcess>(
        TRAYER_EXE,
        std::vector<std::string>{"--edge", "top", "--align", "right", "--widthtype", "request",
                                 "--height", "32"},
        m_logs, "trayer");
    return WaitFor([&] { return !TrayWindow().empty(); }, 10s);
}

void XScreen::StopTray() {
    Stop(m_tray);
}

std::string XScreen::TrayWindow() const {
    return FirstLine(Tool(XDOTOOL_EXE, {"search", "--classname", "^panel$"}).out);
}

bool XScreen::TrayHoldsAnIcon() const {
    const std::string tray = TrayWindow();
    return !tray.empty() && Geometry(tray)[2] >= 16;
}

std::array<int, 4> XScreen::Geometry(const std::string& window) const {
    const auto text = Tool(XDOTOOL_EXE, {"getwindowgeometry", window}).out;
    std::array<int, 4> g{};
    std::smatch m;
    if (std::regex_search(text, m, std::regex("Position: (-?\\d+),(-?\\d+)")))
        g[0] = std::stoi(m[1]), g[1] = std::stoi(m[2]);
    if (std::regex_search(text, m, std::regex("Geometry: (\\d+)x(\\d+)")))
        g[2] = std::stoi(m[1]), g[3] = std::stoi(m[2]);
    return g;
}

std::vector<XScreen::Window> XScreen::VisibleWindows(const std::string& namePattern) const {
    std::vector<Window> found;
    std::istringstream ids(
        Tool(XDOTOOL_EXE, {"search", "--onlyvisible", "--name", namePattern}).out);
    for (std::string id; std::getline(ids, id);) {
        const auto g = Geometry(id);
        if (g[2] > 0) found.push_back({id, g[2], g[3]});
    }
    return found;
}

XScreen::Window XScreen::Harbrook(int minHeight, int maxHeight) const {
    for (const auto& w : VisibleWindows("^Harbrook$"))
        if (w.width > 200 && w.height > minHeight && w.height < maxHeight) return w;
    return {};
}

void XScreen::Shot(const std::string& window, const std::filesystem::path& file) const {
    Tool(IMPORT_EXE, {"-window", window, file.string()});
}

bool XScreen::WaitForShot(const std::function<std::string()>& window,
                          const std::filesystem::path& file,
                          const std::function<bool(const std::filesystem::path&)>& check,
                          std::chrono::milliseconds deadline) const {
    return WaitFor(
        [&] {
            const std::string id = window();
            if (id.empty()) return false;
            Shot(id, file);
            return check(file);
        },
        deadline);
}

double XScreen::Share(const std::filesystem::path& shot, Region r, const char* colour) const {
    const auto size = Tool(IDENTIFY_EXE, {"-format", "%w %h", shot.string()}).out;
    int w = 0, h = 0;
    if (std::sscanf(size.c_str(), "%d %d", &w, &h) != 2) return 0;
    const int left = int(r.left * w), top = int(r.top * h);
    const std::string crop = std::to_string(int(r.right * w) - left) + "x" +
                             std::to_string(int(r.bottom * h) - top) + "+" + std::to_string(left) +
                             "+" + std::to_string(top);
    const auto mean =
        Tool(CONVERT_EXE, {shot.string(), "-crop", crop, "+repage", "-fuzz", "8%", "-fill", "black",
                           "+opaque", colour, "-fill", "white", "-opaque", colour, "-colorspace",
                           "Gray", "-format", "%[fx:mean]", "info:"})
            .out;
    return std::atof(mean.c_str());
}

std::string XScreen::Decode(const std::filesystem::path& shot) const {
    return FirstLine(Tool(ZBARIMG_EXE, {"-q", "--raw", shot.string()}).out);
}

void XScreen::Click(const std::string& window, int x, int y, int button) const {
    std::vector<std::string> args{"mousemove"};
    if (window != "root") args.insert(args.end(), {"--window", window});
    args.insert(args.end(),
                {std::to_string(x), std::to_string(y), "click", std::to_string(button)});
    Tool(XDOTOOL_EXE, args);
}

Finished XScreen::Tool(const std::filesystem::path& program, std::vector<std::string> args) const {
    return RunToEnd(program, std::move(args), m_logs, "tool", 20s);
}

}  // namespace harbrook::test
