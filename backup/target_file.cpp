// Choosing a free name for an incoming file, and naming it once it is whole.
#include "backup/target_file.h"

#include <string>
#include <utility>

#include "backup/storage_layout.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

constexpr int kLastNumber = 199;
// A name taken by someone else between our look and our naming goes the
// numbered way again, a few times at most.
constexpr int kNamingAttempts = 4;

// The hidden name of a file being received for `path`: the prefix and the
// file's own name, fitted to the limit, so that a name the system refuses is
// refused when the file is made.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path) {
    const std::string prefix(kPartialPrefix);
    std::string name = FitFileName(prefix + platform::PathToUtf8(path.filename()));
    // An extension that leaves no room for the prefix: a plain name will do.
    if (!name.starts_with(prefix)) name = prefix + "file";
    return path.parent_path() / platform::PathFromUtf8(name);
}

}  // namespace

std::optional<FreeName> ChooseFreeName(const std::filesystem::path& path) {
    // Numbers go before the last dot of the file name itself, never into a
    // folder name that happens to hold a dot.
    const std::string name = platform::PathToUtf8(path.filename());
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || (dot == 0 && !path.has_parent_path())) return std::nullopt;
    const std::filesystem::path folder = path.parent_path();
    std::filesystem::path candidate = path;
    for (int n = 1;; ++n) {
        const platform::PathKind kind = platform::ProbePath(candidate);
        if (kind == platform::PathKind::Missing) return FreeName{candidate};
        // A folder or a path we cannot look at is no file of ours to make.
        if (kind == platform::PathKind::Directory || kind == platform::PathKind::Unknown)
            return FreeName{candidate, false, false};
        // The last number is replaced, but only a plain file: never a link.
        if (n > kLastNumber) {
            const bool file = kind == platform::PathKind::File;
            return FreeName{candidate, file, file};
        }
        // Built up in place: GCC 12 warns falsely about overlapping copies in
        // "(" + std::to_string(n) + ")" once this function is inlined.
        std::string number = "(";
        number += std::to_string(n);
        number += ')';
        const std::string fitted = FitFileName(name, number);
        if (fitted.empty()) return std::nullopt;  // no room for a number
        candidate = folder / platform::PathFromUtf8(fitted);
    }
}

IncomingFile::IncomingFile(IncomingFile&& other) noexcept
    : m_file(std::move(other.m_file)),
      m_temporary(std::exchange(other.m_temporary, {})),
      m_named(std::exchange(other.m_named, false)) {}

IncomingFile& IncomingFile::operator=(IncomingFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_file = std::move(other.m_file);
        m_temporary = std::exchange(other.m_temporary, {});
        m_named = std::exchange(other.m_named, false);
    }
    return *this;
}

IncomingFile IncomingFile::Create(const std::filesystem::path& path, platform::File* spare,
                                  bool unnamed) {
    const auto choice = ChooseFreeName(path);
    if (!choice || !choice->usable) return {};
    IncomingFile file;
    if (spare && *spare)
        file.m_file = std::move(*spare);
    else if (unnamed)
        file.m_file = platform::File::CreateUnnamed(path.parent_path());
    if (file.m_file) return file;

    const std::filesystem::path temporary = TemporaryPathFor(path);
    file.m_file = platform::File::CreateHidden(temporary);
    // Left by a backup that a crash cut off: ours to remove.
    if (!file.m_file && platform::ProbePath(temporary) == platform::PathKind::File &&
        platform::RemoveFile(temporary))
        file.m_file = platform::File::CreateHidden(temporary);
    if (!file.m_file) return {};
    file.m_temporary = temporary;
    return file;
}

bool IncomingFile::Name(std::filesystem::path& path) {
    if (!m_file && m_temporary.empty()) return false;
    // A temporary is renamed closed: Windows moves no file that is open.
    if (!m_temporary.empty() && m_file && !m_file.Close()) return false;
    // Most names are free: one call names the file. A name that is taken
    // goes through the free-name choice.
    FreeName choice{path};
    for (int attempt = 0; attempt < kNamingAttempts; ++attempt) {
        if (attempt > 0) {
            const auto next = ChooseFreeName(path);
            if (!next || !next->usable) return false;
            choice = *next;
        }
        bool named;
        if (m_temporary.empty()) {
            if (choice.replaces) platform::RemoveFile(choice.path);
            named = m_file.LinkAs(choice.path);
        } else {
            named = platform::RenameHidden(m_temporary, choice.path, choice.replaces);
        }
        if (named) {
            m_temporary.clear();
            m_named = true;
            path = choice.path;
            return true;
        }
        if (!platform::LastErrorWasNameTaken()) return false;
    }
    return false;
}

void IncomingFile::Close() {
    m_file.Close();  // an unnamed file vanishes with its last handle
    if (!m_temporary.empty()) platform::RemoveFile(std::exchange(m_temporary, {}));
    m_named = false;
}

void RemoveLeftoverPartials(const StorageLayout& storage) {
    for (const auto& category : kCategories) {
        const std::filesystem::path folder = storage.KeptPath(category.category);
        if (folder.empty()) continue;
        std::error_code ec;
        for (auto it = std::filesystem::directory_iterator(folder, ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
            if (IsPartialFileName(platform::PathToUtf8(it->path().filename())))
                platform::RemoveFile(it->path());
        }
    }
}

}  // namespace harbrook
