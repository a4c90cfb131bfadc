// Chooses the language library at start-up: the "language" key of section
// "harbrook" in program_config.ini (or --language for one run) names it;
// without the key the system's user-interface language decides. The library
// must be a file in "harbrook locales/" beside the program; when it is not,
// or cannot be loaded, every text comes from the program's own table.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "locale/ui_strings.h"
#include "platform/system_language.h"

namespace harbrook {

class CLanguageSelector {
  public:
    static constexpr std::string_view kFolderName = "harbrook locales";
    static constexpr std::string_view kSection = "harbrook";
    static constexpr std::string_view kKey = "language";
    static constexpr std::string_view kEnglishLibrary = "english.dll";
    static constexpr std::string_view kChineseLibrary = "chinese.dll";
    static constexpr std::size_t kValueCapacity = 50;

    // Settings from the data folder's "program_config.ini", libraries from
    // GetModuleFolder() + "harbrook locales/".
    CLanguageSelector();
    // For tests: other folders.
    CLanguageSelector(std::filesystem::path settingsFile, std::filesystem::path moduleFolder);

    // A language name that stands for the key's value in this run only; the
    // key itself is never written.
    void SetOneRunLanguage(std::string name) { m_oneRunLanguage = std::move(name); }

    // The loaded library, or the fallback when none was loaded. The library
    // stays loaded as long as the selector lives.
    const LanguageModule* SelectLanguageModule(const LanguageModule* fallback);
    // Same, with the system language given (tests).
    const LanguageModule* SelectLanguageModule(const LanguageModule* fallback,
                                               platform::LanguageId systemLanguage);

    // The library file name ("german.dll") of a configured language name,
    // compared without regard to case; English for any name not in the table.
    static std::string LanguageNameToLibrary(std::string_view name);
    // The library file name of a system language id (its low 10 bits).
    static std::string SystemLanguageToLibrary(platform::LanguageId id);

    // The file that would be loaded for that key value ("none" for no key),
    // or nothing when it does not exist or is a folder. No loading.
    static std::optional<std::filesystem::path> ChooseLibraryFile(
        std::string_view keyValue, platform::LanguageId systemLanguage,
        const std::filesystem::path& localesFolder);

    // The file of a library in this build: "german.dll" is german.dll on
    // Windows and german.catalog on POSIX.
    static std::filesystem::path LibraryFile(std::string_view libraryName);

  private:
    std::filesystem::path m_settingsFile;  // empty when there is no data folder
    std::filesystem::path m_localesFolder;
    std::optional<std::string> m_oneRunLanguage;
    std::unique_ptr<LanguageModule> m_library;  // never unloaded while the selector lives
};

}  // namespace harbrook
