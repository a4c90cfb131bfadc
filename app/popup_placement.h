// Where the backup reminder's pop-up stands on the screen: beside the panel
// or taskbar that holds the notification area, flush with the right edge.
#pragma once

namespace harbrook {

// Screen rectangles in pixels; right and bottom lie just outside.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct PopupPlacement {
    int x = 0, y = 0;
    bool operator==(const PopupPlacement&) const = default;
};

// Where the pop-up of the given size stands: flush with the right edge of
// the screen, standing on a panel along the bottom or hanging below one along
// the top. The panel is what the screen has and its available (work) area
// has not. Without a bottom or top panel (none, or one at a side) it stands
// in the bottom right corner of the available area.
PopupPlacement CalcPopupPosition(const ScreenRect& screen, const ScreenRect& available, int width,
                                 int height);

// The same against a taskbar window's rectangle on the desktop: it stands
// on a taskbar whose top edge lies below the desktop's top, and hangs below
// one along the top. A taskbar standing at a side (as high as the desktop)
// is kept clear of: the pop-up stands in the bottom corner beside it.
PopupPlacement CalcTaskbarPopupPosition(const ScreenRect& desktop, const ScreenRect& taskbar,
                                        int width, int height);

}  // namespace harbrook
