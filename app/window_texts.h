// The loads every window front end makes the same way (the texts are named
// by the generated locale/string_ids.h).
#pragma once

#include <string>

#include "locale/string_ids.h"
#include "locale/ui_strings.h"

namespace harbrook::window_text {

// The capacities the texts are loaded with.
inline constexpr std::size_t kLongText = 512;
inline constexpr std::size_t kButtonText = 150;
inline constexpr std::size_t kNameText = 50;

inline std::string Text(unsigned id, std::size_t capacity = kLongText) {
    return LoadUiString(id, capacity);
}
inline std::string ProductName() {
    return LoadUiString(kStrProductName, kNameText);
}
// A text whose one "%s" is the product name.
inline std::string WithProductName(unsigned id) {
    return FormatWithText(Text(id), ProductName());
}

// About a broken installation, and a window that needs a new start.
inline std::string ReinstallMessage() {
    return Text(kStrReinstall);
}
inline std::string RestartMessage() {
    return Text(kStrRestart);
}

}  // namespace harbrook::window_text
