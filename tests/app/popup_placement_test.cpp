// The reminder pop-up's place against the screen's panels and the taskbar.
#include "app/popup_placement.h"

#include <gtest/gtest.h>

namespace harbrook::test {
namespace {

TEST(PopupPosition, FlushRightOnABottomPanelOrBelowATopOne) {
    const ScreenRect screen{0, 0, 1280, 800};
    // A 30-pixel panel along the bottom: standing on it.
    EXPECT_EQ(CalcPopupPosition(screen, {0, 0, 1280, 770}, 300, 120), (PopupPlacement{980, 650}));
    // Along the top: hanging below it.
    EXPECT_EQ(CalcPopupPosition(screen, {0, 24, 1280, 800}, 300, 120), (PopupPlacement{980, 24}));
    // No panel, or one at the side: the corner of what is left.
    EXPECT_EQ(CalcPopupPosition(screen, screen, 300, 120), (PopupPlacement{980, 680}));
    EXPECT_EQ(CalcPopupPosition(screen, {0, 0, 1232, 800}, 300, 120), (PopupPlacement{932, 680}));
    // A second screen to the right of the first.
    EXPECT_EQ(CalcPopupPosition({1280, 0, 3200, 1080}, {1280, 0, 3200, 1040}, 300, 120),
              (PopupPlacement{2900, 920}));
}

TEST(PopupPosition, AgainstTheTaskbarWindow) {
    const ScreenRect desktop{0, 0, 1280, 800};
    // Along the bottom: standing on its top edge, flush with the right edge.
    EXPECT_EQ(CalcTaskbarPopupPosition(desktop, {0, 760, 1280, 800}, 300, 120),
              (PopupPlacement{980, 640}));
    // Along the top: hanging below it.
    EXPECT_EQ(CalcTaskbarPopupPosition(desktop, {0, 0, 1280, 40}, 300, 120),
              (PopupPlacement{980, 40}));
    // An empty taskbar window just below the desktop: the bottom right corner.
    EXPECT_EQ(CalcTaskbarPopupPosition(desktop, {0, 800, 0, 800}, 300, 120),
              (PopupPlacement{980, 680}));
    // At either side: the bottom corner beside it, never off the desktop.
    EXPECT_EQ(CalcTaskbarPopupPosition(desktop, {1220, 0, 1280, 800}, 300, 120),
              (PopupPlacement{920, 680}));
    EXPECT_EQ(CalcTaskbarPopupPosition(desktop, {0, 0, 60, 800}, 300, 120),
              (PopupPlacement{980, 680}));
}

}  // namespace
}  // namespace harbrook::test
