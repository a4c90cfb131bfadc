// The string-table IDs of the window's texts, and the loads every window
// front end makes the same way.
#pragma once

#include <string>

#include "locale/ui_strings.h"

namespace harbrook::window_text {

inline constexpr unsigned kProductName = 104;
inline constexpr unsigned kConnectPhone = 105;
inline constexpr unsigned kReceivedFiles = 106;
inline constexpr unsigned kSendFiles = 107;
inline constexpr unsigned kNotConnected = 108;  // "%s": the product name
inline constexpr unsigned kConnected = 109;
inline constexpr unsigned kTrayTip = 110;
inline constexpr unsigned kOpenMainWindow = 111;
inline constexpr unsigned kQuit = 112;
inline constexpr unsigned kConnectHeadline = 113;
inline constexpr unsigned kConnectStep1 = 114;  // "%s": the product name
inline constexpr unsigned kConnectStep2 = 115;  // "%s": the product name
inline constexpr unsigned kConnectedTo = 116;   // "%s": the phone's name
inline constexpr unsigned kConnectedLine1 = 117;
inline constexpr unsigned kConnectedLine2 = 118;
inline constexpr unsigned kDisconnect = 119;
inline constexpr unsigned kBackupCompleted = 128;
inline constexpr unsigned kBackupFailed = 129;
inline constexpr unsigned kNoFilesReceived = 141;
inline constexpr unsigned kIncompleteCount = 219;  // "%d incomplete"
inline constexpr unsigned kFolderModified = 142;
// The backup reminder pop-up.
inline constexpr unsigned kBackupNow = 152;
inline constexpr unsigned kNoShowAgain = 153;
inline constexpr unsigned kReminderHeadline = 155;
inline constexpr unsigned kReminderDetail = 156;
// Our own additions.
inline constexpr unsigned kBackupSummary = 300;  // {files} {size} {time}
inline constexpr unsigned kBackupInterrupted = 301;
inline constexpr unsigned kProgressOfTotal = 302;  // {percent} {total}
inline constexpr unsigned kTimeLeft = 303;         // {time}
inline constexpr unsigned kChooseFilesTitle = 304;
inline constexpr unsigned kAllFilesFilter = 305;
inline constexpr unsigned kStartAtLogin = 306;

// The capacities the texts are loaded with.
inline constexpr std::size_t kLongText = 512;
inline constexpr std::size_t kButtonText = 150;
inline constexpr std::size_t kNameText = 50;

inline std::string Text(unsigned id, std::size_t capacity = kLongText) {
    return LoadUiString(id, capacity);
}
inline std::string ProductName() {
    return LoadUiString(kProductName, kNameText);
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
