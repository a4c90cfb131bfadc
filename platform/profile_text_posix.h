// The INI text behind the POSIX profile functions, without the file: what a
// read finds in a text and what a write makes of it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace harbrook::platform::posix {

// The value of section/key in the text, as ReadProfileString reads it from a
// file: the default when the text is not a settings file (not UTF-8, or it
// holds a NUL byte) or has no such key; cut alike to capacity.
std::string LookUpProfileText(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t capacity);

// The text with section/key set to value, everything else kept line for
// line; a text that is not a settings file counts as empty. Nothing when the
// section, key or value cannot be written (empty, or holding a line break).
std::optional<std::string> SetProfileText(std::string_view content, std::string_view section,
                                          std::string_view key, std::string_view value);

}  // namespace harbrook::platform::posix
