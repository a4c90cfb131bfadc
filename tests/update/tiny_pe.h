// The smallest Windows program file our version reader accepts: headers, one
// resource section and, when asked, a version resource.
#pragma once

#include <optional>
#include <string>

#include "update/pe_version.h"

namespace harbrook::test {

struct TinyPeOptions {
    std::optional<FileVersion> version;  // nothing: a manifest resource only
    bool pe32plus = true;                // 64-bit optional header, else 32-bit
};

std::string MakeTinyPe(const TinyPeOptions& options);

}  // namespace harbrook::test
