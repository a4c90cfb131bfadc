// The text form of the POSIX registry hive.
// Format: a first line "HARBROOK-HIVE 1", then "[key path]" lines each followed
// by "name=value" lines, and a last line "END" (a file without it was cut and
// is not trusted). Key paths, names and values are %XX-escaped where they hold
// '%', '=', '[', ']' or control bytes. Names compare without regard to ASCII
// case, as in the Windows registry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace harbrook::platform::posix {

struct HiveKey {
    std::string path;
    std::vector<std::pair<std::string, std::string>> values;
};
using Hive = std::vector<HiveKey>;

// The hive the text holds; nothing for a text that is not a whole hive.
std::optional<Hive> ParseHive(std::string_view text);
std::string SerializeHive(const Hive& hive);

}  // namespace harbrook::platform::posix
