// The system's user-interface language as a Windows language id: the primary
// language in the low 10 bits, the sub-language (country or script) in the
// high 6. Windows: GetSystemDefaultUILanguage. POSIX: the locale of messages
// (LC_ALL, then LC_MESSAGES, then LANG) mapped to the same ids, so that one
// rule picks the language library on both systems.
#pragma once

#include <cstdint>
#include <string_view>

namespace harbrook::platform {

using LanguageId = std::uint16_t;

inline constexpr LanguageId kLanguageEnglishUs = 0x0409;

// The system's default user-interface language.
LanguageId SystemDefaultUiLanguage();

// A POSIX locale name ("de_DE.UTF-8", "pt_BR", "zh_TW.Big5", "sr_RS@latin",
// "C") as a Windows language id. "C", "POSIX", empty and unknown languages
// give English (United States); a known language without a known territory
// gives its default sub-language (1), Chinese without one the PRC (2).
LanguageId LanguageIdFromPosixLocale(std::string_view locale);

}  // namespace harbrook::platform
