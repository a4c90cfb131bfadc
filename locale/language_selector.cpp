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

// Further names a user may type for a language: its English name and its
// ISO 639 code, with the country or script where it chooses the library
// (compared after the table's names, without regard to case, "_" read as
// "-"). A code with a country not listed here goes by its language part
// ("de-AT" is German). Chinese: "chinese", "zh" and the mainland and
// Singapore codes are the simplified library, Taiwan, Hong Kong and Macao
// the traditional one. Portuguese has one library, written for Brazil: it
// serves Portugal too ("pt-PT"), since a reader in Portugal understands it
// without trouble, which English would not give everyone.
struct OtherName {
    std::string_view name;
    std::string_view library;
};
constexpr OtherName kOtherNames[] = {
    {"ar", "arabic.dll"},
    {"chinese", "chinese.dll"},
    {"chinese-simplified", "chinese.dll"},
    {"zh", "chinese.dll"},
    {"zh-cn", "chinese.dll"},
    {"zh-sg", "chinese.dll"},
    {"zh-hans", "chinese.dll"},
    {"chinese-traditional", "chinetw.dll"},
    {"zh-tw", "chinetw.dll"},
    {"zh-hk", "chinetw.dll"},
    {"zh-mo", "chinetw.dll"},
    {"zh-hant", "chinetw.dll"},
    {"danish", "denish.dll"},
    {"da", "denish.dll"},
    {"nl", "dutch.dll"},
    {"english", "english.dll"},
    {"en", "english.dll"},
    {"fi", "finnish.dll"},
    {"fr", "french.dll"},
    {"de", "german.dll"},
    {"id", "indonesian.dll"},
    {"italian", "italy.dll"},
    {"it", "italy.dll"},
    {"japanese", "japanese.dll"},
    {"ja", "japanese.dll"},
    {"pl", "polish.dll"},
    {"portuguese", "portuese.dll"},
    {"pt", "portuese.dll"},
    {"ru", "russian.dll"},
    {"es", "spanish.dll"},
    {"th", "thai.dll"},
    {"tr", "turkish.dll"},
    {"uk", "ukrainian.dll"},
    {"vietnamese", "vietnam.dll"},
    {"vi", "vietnam.dll"},
};

// Lower case, "_" as "-".
std::string NormalName(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        c = c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::optional<std::string_view> OtherNameLibrary(std::string_view normal) {
    for (const auto& other : kOtherNames) {
        if (other.name == normal) return other.library;
    }
    return std::nullopt;
}

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
    const std::string normal = NormalName(name);
    if (const auto library = OtherNameLibrary(normal)) return std::string(*library);
    // A code with a country or script of its own: its language part
    // ("pt-BR", "fr-CA"), as long as that is a code and not a name.
    if (const std::size_t dash = normal.find('-'); dash == 2) {
        if (const auto library = OtherNameLibrary(normal.substr(0, dash))) {
            return std::string(*library);
        }
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
    const std::string chosen = keyValue == "none" ? SystemLanguageToLibrary(systemLanguage)
                                                  : LanguageNameToLibrary(keyValue);
    // The table's name "chinetw", and the system's choice of it, give way to
    // simplified Chinese on systems of sub-language 2 (the PRC for Chinese)
    // and on Chinese systems of Singapore (4) or of no country (0, simplified
    // script), when that library is there; a name that says "traditional"
    // ("zh-TW", "chinese-traditional") keeps it.
    const bool byTable = keyValue == "none" || EqualNoCase(keyValue, "chinetw");
    const platform::LanguageId sub = systemLanguage & 0xFC00;
    const bool simplifiedSystem =
        sub == 0x0800 || ((systemLanguage & 0x3FF) == 0x04 && (sub == 0x1000 || sub == 0));
    std::string candidate = chosen;
    if (EqualNoCase(chosen, "chinetw.dll") && byTable && simplifiedSystem) {
        candidate = kChineseLibrary;
    }
    // Simplified Chinese whose library is missing: the traditional one.
    const std::string fallback =
        EqualNoCase(candidate, kChineseLibrary) ? std::string("chinetw.dll") : candidate;
    const std::string& taken =
        IsLibraryFile(localesFolder / LibraryFile(candidate)) ? candidate : fallback;
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
