#include "core/app_folders.h"

#include "platform/folders.h"

namespace harbrook {
namespace {
std::filesystem::path WithTrailingSeparator(std::filesystem::path p) {
    if (!p.empty() && !p.has_filename()) return p;  // already ends in a separator
    return p / "";
}
}  // namespace

bool EnsureSubfolder(const std::filesystem::path& parent, const std::filesystem::path& name) {
    if (platform::NameExistsIn(parent, name)) return true;
    return platform::CreateOneDirectory(parent / name);
}

bool GetAppDataFolder(std::filesystem::path& folder) {
    folder.clear();
    const auto base = platform::UserDataFolder();
    if (!base) return false;
    std::filesystem::path path = WithTrailingSeparator(*base);
    for (const char* level : {"Orvanta Lab", "Harbrook"}) {
        if (!EnsureSubfolder(path, level)) return false;
        path = WithTrailingSeparator(path / level);
    }
    folder = path;
    return true;
}

bool GetAppDataFolderPath(std::filesystem::path& folder) {
    folder.clear();
    const auto base = platform::UserDataFolder();
    if (!base) return false;
    folder = WithTrailingSeparator(*base / "Orvanta Lab" / "Harbrook");
    return true;
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return WithTrailingSeparator(file.parent_path());
}

bool GetModuleFolder(std::filesystem::path& folder) {
    // Everything read from "the program's folder" is a file installed with
    // it, so an installed program looks in its shared folder instead.
    folder = WithTrailingSeparator(platform::ProgramFilesFolder());
    return true;
}

}  // namespace harbrook
