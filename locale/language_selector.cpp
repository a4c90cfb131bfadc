#include "locale/language_selector.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "core/app_folders.h"
#include "platform/language_library.h"
#include "platform/profile.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

struct Language {
    std::string_view name;  // as the "language" key spells it
    std::string_view library;
    platform::LanguageId primary;  // Windows primary language id
};

// The configured names are compared in this order; English is not among
// them, since every name that matches none gives English.
constexpr Language kLanguages[] = {
    {"arabic", "arabic.dll", 0x01},     {"chinetw", "chinetw.dll", 0x04},
    {"denish", "denish.dll", 0x06},     {"dutch", "dutch.dll", 0x13},
    {"french", "french.dll", 0x0C},     {"german", "german.dll", 0x07},
    {"italy", "italy.dll", 0x10},       {"japan", "japanese.dll", 0x11},
    {"portuese", "portuese.dll", 0x16}, {"russian", "russian.dll", 0x19},
    {"spanish", "spanish.dll", 0x0A},   {"thai", "thai.dll", 0x1E},
    {"turkish", "turkish.dll", 0x1F},   {"ukrainian", "ukrainian.dll", 0x22},
    {"vietnam", "vietnam.dll", 0x2A},   {"finnish", "finnish.dll", 0x0B},
    {"polish", "polish.dll", 0x15},     {"indonesian", "indonesian.dll", 0x21},
};

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// An existing file that is not a folder (a folder of a library's name is
// never loaded).
bool IsLibraryFile(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

std::filesystem::path SettingsFileOfThisUser() {
    // Only read here: choosing a language makes no folder.
    std::filesystem::path folder;
    if (!GetAppDataFolderPath(folder)) return {};
    return folder / "program_config.ini";
}

std::filesystem::path LocalesFolderOf(const std::filesystem::path& moduleFolder) {
    return moduleFolder / platform::PathFromUtf8(CLanguageSelector::kFolderName);
}

std::filesystem::path ModuleFolder() {
    std::filesystem::path folder;
    GetModuleFolder(folder);
    return folder;
}

}  // namespace

CLanguageSelector::CLanguageSelector()
    : CLanguageSelector(SettingsFileOfThisUser(), ModuleFolder()) {}

CLanguageSelector::CLanguageSelector(std::filesystem::path settingsFile,
                                     std::filesystem::path moduleFolder)
    : m_settingsFile(std::move(settingsFile)), m_localesFolder(LocalesFolderOf(moduleFolder)) {}

std::string CLanguageSelector::LanguageNameToLibrary(std::string_view name) {
    for (const auto& language : kLanguages) {
        if (EqualNoCase(name, language.name)) return std::string(language.library);
    }
    return std::string(kEnglishLibrary);
}

std::string CLanguageSelector::SystemLanguageToLibrary(platform::LanguageId id) {
    const platform::LanguageId primary = id & 0x3FF;
    for (const auto& language : kLanguages) {
        if (language.primary == primary) return std::string(language.library);
    }
    return std::string(kEnglishLibrary);
}

std::filesystem::path CLanguageSelector::LibraryFile(std::string_view libraryName) {
    const std::size_t dot = libraryName.rfind('.');
    std::string file(libraryName.substr(0, dot));
    file += platform::LanguageLibraryExtension();
    return platform::PathFromUtf8(file);
}

std::optional<std::filesystem::path> CLanguageSelector::ChooseLibraryFile(
    std::string_view keyValue, platform::LanguageId systemLanguage,
    const std::filesystem::path& localesFolder) {
    // Exactly "none" is the default of a missing key; "None" is a name like
    // any other, and names nothing in the table.
    const std::string library = keyValue == "none" ? SystemLanguageToLibrary(systemLanguage)
                                                   : LanguageNameToLibrary(keyValue);
    // Traditional Chinese gives way to simplified Chinese on systems of
    // sub-language 2 (the PRC for Chinese), when that library is there.
    std::string candidate = library;
    if (EqualNoCase(library, "chinetw.dll") && (systemLanguage & 0xFC00) == 0x0800) {
        candidate = kChineseLibrary;
    }
    const std::string& taken =
        IsLibraryFile(localesFolder / LibraryFile(candidate)) ? candidate : library;
    const auto path = localesFolder / LibraryFile(taken);
    if (!IsLibraryFile(path)) return std::nullopt;
    return path;
}

const LanguageModule* CLanguageSelector::SelectLanguageModule(const LanguageModule* fallback) {
    return SelectLanguageModule(fallback, platform::SystemDefaultUiLanguage());
}

const LanguageModule* CLanguageSelector::SelectLanguageModule(const LanguageModule* fallback,
                                                              platform::LanguageId systemLanguage) {
    std::string keyValue = "none";
    if (m_oneRunLanguage) {
        keyValue = std::string(platform::CutToUtf16Units(*m_oneRunLanguage, kValueCapacity - 1));
    } else if (std::error_code ec; std::filesystem::exists(m_settingsFile, ec)) {
        // (Looked for first: the reader takes a lock file beside the file,
        // and choosing a language writes nothing.)
        keyValue =
            platform::ReadProfileString(m_settingsFile, kSection, kKey, "none", kValueCapacity);
    }
    const auto file = ChooseLibraryFile(keyValue, systemLanguage, m_localesFolder);
    if (!file) return fallback;
    auto library = platform::LoadLanguageLibrary(*file);
    if (!library) return fallback;
    m_library = std::move(library);
    return m_library.get();
}

}  // namespace harbrook
