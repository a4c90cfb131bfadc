#include "tests/locale/built_libraries.h"

#include "core/app_folders.h"
#include "locale/language_selector.h"
#include "platform/language_library.h"
#include "platform/utf8.h"

namespace harbrook::test {

std::filesystem::path BuiltLocalesFolder() {
    std::filesystem::path folder;
    GetModuleFolder(folder);
    return folder / platform::PathFromUtf8(HARBROOK_LOCALES_FROM_TESTS);
}

const std::vector<std::string>& LibraryNames() {
    static const std::vector<std::string> names = {
        "english.dll",   "arabic.dll",  "chinetw.dll", "chinese.dll", "denish.dll",
        "dutch.dll",     "french.dll",  "german.dll",  "italy.dll",   "japanese.dll",
        "portuese.dll",  "russian.dll", "spanish.dll", "thai.dll",    "turkish.dll",
        "ukrainian.dll", "vietnam.dll", "finnish.dll", "polish.dll",  "indonesian.dll"};
    return names;
}

std::unique_ptr<platform::LanguageLibrary> LoadBuiltLibrary(std::string_view name) {
    return platform::LoadLanguageLibrary(BuiltLocalesFolder() /
                                         CLanguageSelector::LibraryFile(name));
}

std::string LibraryWithText(unsigned id, std::string_view text) {
    for (const auto& name : LibraryNames()) {
        const auto library = LoadBuiltLibrary(name);
        if (library && library->Find(id) == text) return name;
    }
    return {};
}

}  // namespace harbrook::test
