// A private X screen for the window tests: Xvfb on a free display, trayer as
// the notification area, and the tools that look at it (xdotool,
// ImageMagick, zbarimg). The tool paths come from the build as
// XVFB_EXE, TRAYER_EXE, XDOTOOL_EXE, IMPORT_EXE, IDENTIFY_EXE, CONVERT_EXE
// and ZBARIMG_EXE.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/app/child_process.h"

namespace harbrook::test {

// A part of a window, in fractions of its width and height.
struct Region {
    double left, top, right, bottom;
};

class XScreen {
  public:
    // Starts Xvfb and points DISPLAY at it; tool output goes to `logs`.
    explicit XScreen(std::filesystem::path logs);
    ~XScreen();  // stops the tray and Xvfb, unsets DISPLAY
    XScreen(const XScreen&) = delete;
    XScreen& operator=(const XScreen&) = delete;

    bool Started() const { return !m_display.empty(); }
    const std::string& Display() const { return m_display; }

    // trayer along the top edge; true once its panel is up.
    bool StartTray();
    void StopTray();
    // trayer's panel is 2 pixels wide when empty, wider by each icon.
    bool TrayHoldsAnIcon() const;
    std::string TrayWindow() const;

    struct Window {
        std::string id;
        int width = 0, height = 0;
    };
    // Visible windows whose name matches the pattern (a regular expression).
    std::vector<Window> VisibleWindows(const std::string& namePattern) const;
    // The program's visible window wider than 200 pixels and more than
    // `minHeight` but less than `maxHeight` tall (none when not on show): the
    // main window is 340 dialog units tall, the backup reminder 117.
    Window Harbrook(int minHeight, int maxHeight) const;
    // Where a window stands on the screen: x, y, width, height.
    std::array<int, 4> Geometry(const std::string& window) const;

    // A screenshot of the window (or the whole screen for "root").
    void Shot(const std::string& window, const std::filesystem::path& file) const;
    // Takes screenshots of the window `window()` names into the file, while
    // it names one, until one satisfies the check.
    bool WaitForShot(const std::function<std::string()>& window, const std::filesystem::path& file,
                     const std::function<bool(const std::filesystem::path&)>& check,
                     std::chrono::milliseconds deadline) const;
    // The share of a region's pixels that have the colour (within a few percent).
    double Share(const std::filesystem::path& shot, Region region, const char* colour) const;
    // The first barcode zbarimg reads in the picture, or empty.
    std::string Decode(const std::filesystem::path& shot) const;
    // A click at a point of the window (button 1 left, 3 right); the root
    // window takes screen coordinates.
    void Click(const std::string& window, int x, int y, int button = 1) const;

    Finished Tool(const std::filesystem::path& program, std::vector<std::string> args) const;

  private:
    std::filesystem::path m_logs;
    std::unique_ptr<ChildProcess> m_xvfb, m_tray;
    std::string m_display;
};

std::string FirstLine(const std::string& text);

}  // namespace harbrook::test
