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

// Fixed English texts about a broken installation (never translated).
inline constexpr const char* kReinstallMessage =
    "The software has problems. Please reinstall the program!";
inline constexpr const char* kRestartMessage =
    "Please right click the icon in the tray area and exit the software then run it again.";

}  // namespace harbrook::window_text
