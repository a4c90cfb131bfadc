// Choosing a free name for an incoming file.
#include <string>
#include <utility>

#include "backup/backup_receiver.h"
#include "backup/storage_layout.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

constexpr int kLastNumber = 199;

}  // namespace

platform::File CreateUniqueTargetFile(std::filesystem::path& path, platform::File* spare) {
    // Numbers go before the last dot of the file name itself, never into a
    // folder name that happens to hold a dot.
    const std::string name = platform::PathToUtf8(path.filename());
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || (dot == 0 && !path.has_parent_path())) return {};
    // Most names are free: then one call names the spare or creates the
    // file. A name that is taken, or anything else in the way, goes through
    // the numbering below.
    if (spare && spare->LinkAs(path)) return std::move(*spare);
    if (platform::File file = platform::File::CreateNew(path)) return file;
    const std::filesystem::path folder = path.parent_path();

    std::filesystem::path candidate = path;
    for (int n = 1;; ++n) {
        const platform::PathKind kind = platform::ProbePath(candidate);
        // A folder or a path we cannot look at is taken as it is: creating the
        // file then fails and the caller reports it.
        if (kind == platform::PathKind::Missing || kind == platform::PathKind::Directory ||
            kind == platform::PathKind::Unknown || n > kLastNumber)
            break;
        // Built up in place: GCC 12 warns falsely about overlapping copies in
        // "(" + std::to_string(n) + ")" once this function is inlined.
        std::string number = "(";
        number += std::to_string(n);
        number += ')';
        const std::string fitted = FitFileName(name, number);
        if (fitted.empty()) return {};  // no room for a number
        candidate = folder / platform::PathFromUtf8(fitted);
    }
    path = candidate;
    return platform::File::CreateAlways(path);
}

}  // namespace harbrook
