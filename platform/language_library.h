// A language library: a table of translated texts by string id, kept in a
// file of its own. Windows: a resource-only DLL, loaded as data only
// (LoadLibraryExW) and read with LoadStringW. POSIX: a compiled string
// catalogue (platform/string_catalogue.h) read by our own code.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace harbrook::platform {

class LanguageLibrary {
  public:
    virtual ~LanguageLibrary() = default;
    // The text with that id as UTF-8; nothing when the library has none (an
    // empty text counts as none, as LoadStringW cannot tell them apart).
    virtual std::optional<std::string> Find(unsigned id) const = 0;
};

// The library in that file; nothing when it cannot be loaded.
std::unique_ptr<LanguageLibrary> LoadLanguageLibrary(const std::filesystem::path& file);

// What a library's file name ends in here: ".dll" on Windows, ".catalog" elsewhere.
std::string_view LanguageLibraryExtension();

}  // namespace harbrook::platform
