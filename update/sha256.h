// SHA-256 of a text or a file as hex, enough to check a downloaded installer
// against the digest its description file names (the hashing is core's).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/sha256.h"

namespace harbrook {

std::string Sha256Hex(std::string_view bytes);
// Nothing when the file cannot be read.
std::optional<std::string> Sha256OfFile(const std::filesystem::path& file);

}  // namespace harbrook
