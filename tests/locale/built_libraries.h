// The language libraries this build made, found from the test's own folder
// (so that the path holds under wine too).
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "locale/ui_strings.h"
#include "platform/language_library.h"

namespace harbrook::test {

std::filesystem::path BuiltLocalesFolder();

// Every library of the table and the simplified Chinese one, "german.dll" style.
const std::vector<std::string>& LibraryNames();

// The library of that name ("german.dll") as the build made it; null when
// it cannot be loaded.
std::unique_ptr<platform::LanguageLibrary> LoadBuiltLibrary(std::string_view name);

// The program's texts come from `module` (the own table when null) while
// this lives; then from the module before it again.
class UsingLanguage {
  public:
    explicit UsingLanguage(const LanguageModule* module = nullptr) { Use(module); }
    ~UsingLanguage() { g_hLangModule = m_before; }
    UsingLanguage(const UsingLanguage&) = delete;
    UsingLanguage& operator=(const UsingLanguage&) = delete;
    void Use(const LanguageModule* module) { g_hLangModule = module ? module : &OwnStringTable(); }

  private:
    const LanguageModule* m_before = g_hLangModule;
};

// A language library made of a few texts.
class TextLibrary final : public LanguageModule {
  public:
    explicit TextLibrary(std::map<unsigned, std::string> own = {}) : texts(std::move(own)) {}
    std::optional<std::string> Find(unsigned id) const override {
        const auto it = texts.find(id);
        return it == texts.end() ? std::nullopt : std::optional(it->second);
    }
    std::map<unsigned, std::string> texts;
};

// The library whose text of that id is this one; empty when none is.
std::string LibraryWithText(unsigned id, std::string_view text);

}  // namespace harbrook::test
