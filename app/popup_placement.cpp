#include "app/popup_placement.h"

#include <algorithm>

namespace harbrook {

PopupPlacement CalcPopupPosition(const ScreenRect& screen, const ScreenRect& available, int width,
                                 int height) {
    if (available.bottom < screen.bottom && available.top == screen.top) {
        // Along the bottom: the pop-up stands on the panel's top edge.
        return {screen.right - width, available.bottom - height};
    }
    if (available.top > screen.top) {
        // Along the top: it hangs below the panel's bottom edge.
        return {screen.right - width, available.top};
    }
    return {available.right - width, available.bottom - height};
}

PopupPlacement CalcTaskbarPopupPosition(const ScreenRect& desktop, const ScreenRect& taskbar,
                                        int width, int height) {
    // What the taskbar leaves of the desktop, as a work area.
    ScreenRect available = desktop;
    if (taskbar.top > desktop.top) {
        available.bottom = std::min(taskbar.top, desktop.bottom);
    } else if (taskbar.bottom >= desktop.bottom &&
               taskbar.right - taskbar.left < desktop.right - desktop.left) {
        if (taskbar.left <= desktop.left) {
            available.left = std::max(taskbar.right, desktop.left);
        } else {
            available.right = std::min(taskbar.left, desktop.right);
        }
    } else {
        available.top = std::clamp(taskbar.bottom, desktop.top, desktop.bottom);
    }
    return CalcPopupPosition(desktop, available, width, height);
}

}  // namespace harbrook
