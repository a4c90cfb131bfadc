// The words of the phone link, byte for byte.
#pragma once

#include <string_view>

namespace harbrook::kw {

inline constexpr std::string_view kPcDetect = "PCDETECT";    // identity of the detection socket
inline constexpr std::string_view kPcSending = "PCSENDING";  // identity of the sending socket
inline constexpr std::string_view kConnected = "Connected";
inline constexpr std::string_view kDisconnected = "Disconnected";
inline constexpr std::string_view kPcFallbackName = "PC";
inline constexpr std::string_view kSufficient = "sufficient";
inline constexpr std::string_view kInsufficient = "insufficient";
inline constexpr std::string_view kFetch = "fetch";
inline constexpr std::string_view kFileEnd = "fileEnd";
inline constexpr std::string_view kFileError = "fileError";
inline constexpr std::string_view kBackingEnd = "backingEnd";
inline constexpr std::string_view kSending = "sending";
inline constexpr std::string_view kSendEndName = "123.jpg";
inline constexpr std::string_view kSendingEnd = "sendingEnd";
inline constexpr std::string_view kEndMarker = "harbrook";  // end of a file's data, both ways

inline constexpr std::string_view kCamera = "camera";
inline constexpr std::string_view kTencent = "tencent";
inline constexpr std::string_view kOther = "other";
inline constexpr std::string_view kDocument = "document";
inline constexpr std::string_view kAudio = "audio";

}  // namespace harbrook::kw
