// UTF-8 helpers shared by every platform: validity, UTF-16 lengths and cuts
// that never split a character.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace harbrook::platform {

bool IsValidUtf8(std::string_view text);

// Number of UTF-16 code units the text needs (without a terminator). Invalid
// sequences count one unit per byte.
std::size_t Utf16Units(std::string_view utf8);

// The longest prefix that is at most maxBytes long and does not end inside a
// multi-byte character.
std::string_view CutToBytes(std::string_view utf8, std::size_t maxBytes);

// The longest prefix that needs at most maxUnits UTF-16 code units and does not
// split a character.
std::string_view CutToUtf16Units(std::string_view utf8, std::size_t maxUnits);

// Converts between UTF-8 and UTF-16. Nothing is lost for valid input; invalid
// input gives an empty result and false.
bool Utf8ToUtf16(std::string_view utf8, std::u16string& out);
bool Utf16ToUtf8(std::u16string_view utf16, std::string& out);

// True when the text's first letter belongs to a right-to-left script
// (Hebrew, Arabic and their neighbours): the text, and a window in its
// language, read from the right.
bool ReadsRightToLeft(std::string_view utf8);

// Paths from and to UTF-8 text. A plain std::string given to a path is read
// in the ANSI code page on Windows; these never are.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace harbrook::platform
