#include "locale/language_selector.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "platform/profile.h"
#include "tests/locale/built_libraries.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

using platform::LanguageIdFromPosixLocale;

// A program folder with a "harbrook locales" folder beside it and a settings
// file, all in a sandbox.
class LanguageSelection : public ::testing::Test {
  protected:
    std::filesystem::path Locales() const {
        return sandbox.root() / "program" / "harbrook locales";
    }
    std::filesystem::path Settings() const { return sandbox.root() / "program_config.ini"; }

    // A copy of a library the build made.
    void AddLibrary(std::string_view library) {
        std::filesystem::create_directories(Locales());
        const auto file = CLanguageSelector::LibraryFile(library);
        std::filesystem::copy_file(test::BuiltLocalesFolder() / file, Locales() / file,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    void SetKey(std::string_view value) {
        ASSERT_TRUE(platform::WriteProfileString(Settings(), "harbrook", "language", value));
    }
    // Which library the selector loads (told by its "Send Files"), or "own"
    // for the fallback.
    std::string Loaded(platform::LanguageId system, std::optional<std::string> oneRun = {}) {
        CLanguageSelector selector(Settings(), sandbox.root() / "program");
        if (oneRun) selector.SetOneRunLanguage(*oneRun);
        const LanguageModule* module = selector.SelectLanguageModule(&OwnStringTable(), system);
        if (module == &OwnStringTable()) return "own";
        return test::LibraryWithText(107, module->Find(107).value_or("?"));
    }
    // The file chosen for a key value, as its library name.
    std::string Chosen(std::string_view keyValue, platform::LanguageId system) {
        const auto file = CLanguageSelector::ChooseLibraryFile(keyValue, system, Locales());
        return file ? file->stem().string() : "none";
    }

    test::Sandbox sandbox;
};

TEST_F(LanguageSelection, WithoutTheKeyTheSystemLanguageDecides) {
    for (auto library : {"english.dll", "german.dll", "japanese.dll", "portuese.dll"}) {
        AddLibrary(library);
    }
    EXPECT_EQ(Loaded(0x0407), "german.dll") << "no settings file at all";
    SetKey("none");
    EXPECT_EQ(Loaded(0x0407), "german.dll") << "\"none\" is the missing key's default";
    EXPECT_EQ(Loaded(0x0807), "german.dll") << "any German";
    EXPECT_EQ(Loaded(0x0411), "japanese.dll");
    EXPECT_EQ(Loaded(0x0816), "portuese.dll");
    EXPECT_EQ(Loaded(0x0412), "english.dll") << "Korean has no library";
    EXPECT_EQ(Loaded(0x0409), "english.dll");
    EXPECT_EQ(Loaded(0x0419), "own") << "Russian chosen, its library missing";
}

TEST_F(LanguageSelection, TheKeyNamesTheLanguageWithoutRegardToCase) {
    for (auto library : {"english.dll", "german.dll", "japanese.dll"}) AddLibrary(library);
    SetKey("JAPAN");  // (the names the key may take are LanguageTable's)
    EXPECT_EQ(Loaded(0x0407), "japanese.dll");
    // "german " as --language gives it: only the INI reader drops blanks.
    for (auto value : {"english", "", "klingon", "None", "NONE", "german "}) {
        EXPECT_EQ(Chosen(value, 0x0407), "english") << '"' << value << '"';
    }
    SetKey("");
    EXPECT_EQ(Loaded(0x0407), "english.dll") << "present but empty: English, not the system";
}

TEST_F(LanguageSelection, OneRunLanguageStandsForTheKey) {
    for (auto library : {"english.dll", "german.dll", "french.dll"}) AddLibrary(library);
    SetKey("french");
    EXPECT_EQ(Loaded(0x0409, "german"), "german.dll");
    EXPECT_EQ(Loaded(0x0407, "none"), "german.dll") << "none: the system decides";
    EXPECT_EQ(Loaded(0x0407, "english"), "english.dll");
    EXPECT_EQ(Loaded(0x0409), "french.dll") << "the key is untouched";
    EXPECT_EQ(platform::ReadProfileString(Settings(), "harbrook", "language", "none", 50),
              "french");
}

TEST_F(LanguageSelection, SimplifiedChineseStandsInOnSubLanguageTwo) {
    AddLibrary("chinetw.dll");
    EXPECT_EQ(Chosen("none", 0x0804), "chinetw") << "chinese.dll missing: chinetw.dll";
    AddLibrary("chinese.dll");
    EXPECT_EQ(Chosen("none", 0x0804), "chinese");
    EXPECT_EQ(Chosen("none", 0x0404), "chinetw") << "Taiwan";
    EXPECT_EQ(Chosen("none", 0x0C04), "chinetw") << "Hong Kong, sub-language 3";
    EXPECT_EQ(Chosen("chinetw", 0x080A), "chinese") << "Spanish (Mexico) has sub-language 2 too";
    EXPECT_EQ(Chosen("ChineTW", 0x0409), "chinetw");
    EXPECT_EQ(Chosen("none", 0x1004), "chinese") << "Singapore";
    EXPECT_EQ(Chosen("none", 0x0004), "chinese") << "Chinese, simplified script";
    EXPECT_EQ(Chosen("none", 0x1404), "chinetw") << "Macao";
    for (auto name : {"chinese", "zh", "zh_CN", "zh-SG", "ZH_sg.UTF-8", "zh-Hans"}) {
        EXPECT_EQ(Chosen(name, 0x0404), "chinese") << name;
    }
    for (auto name : {"zh_TW", "zh-HK", "zh-Hant", "chinese-traditional"}) {
        EXPECT_EQ(Chosen(name, 0x0804), "chinetw") << name << ": no step to simplified";
    }
    std::filesystem::remove(Locales() / CLanguageSelector::LibraryFile("chinese.dll"));
    EXPECT_EQ(Chosen("chinese", 0x0404), "chinetw") << "simplified missing";
    std::filesystem::remove(Locales() / CLanguageSelector::LibraryFile("chinetw.dll"));
    EXPECT_EQ(Chosen("none", 0x0404), "none");
}

TEST_F(LanguageSelection, OnlyALoadableFileIsTaken) {
    std::filesystem::create_directories(Locales() / CLanguageSelector::LibraryFile("german.dll"));
    EXPECT_EQ(Loaded(0x0407), "own") << "a folder of the library's name";
    AddLibrary("english.dll");
    EXPECT_EQ(Loaded(0x0407), "own") << "German chosen: no step back to English";
    std::ofstream(Locales() / CLanguageSelector::LibraryFile("french.dll")) << "not a library";
    EXPECT_EQ(Loaded(0x040C), "own");
    // The simplified Chinese folder is passed over for the traditional file.
    std::filesystem::create_directories(Locales() / CLanguageSelector::LibraryFile("chinese.dll"));
    AddLibrary("chinetw.dll");
    EXPECT_EQ(Loaded(0x0804), "chinetw.dll");
}

TEST(LanguageTable, EveryBuiltLibraryIsReachedAndLookalikesGiveEnglish) {
    // Every library the build makes, the simplified Chinese stand-in aside,
    // is some system language's, and exactly one configured name's.
    std::set<std::string> bySystem, byName;
    for (platform::LanguageId primary = 0; primary <= 0x3FF; ++primary) {
        bySystem.insert(CLanguageSelector::SystemLanguageToLibrary(0x0400 | primary));
    }
    for (const auto& library : test::LibraryNames()) {
        if (library == "chinese.dll") continue;
        EXPECT_TRUE(bySystem.erase(library)) << library;
        byName.insert(library.substr(0, library.find('.')));
    }
    EXPECT_TRUE(bySystem.empty()) << *bySystem.begin() << " is not built";
    byName.erase("japanese");
    byName.insert("japan");  // the one name that is not its library's
    for (const auto& name : byName) {
        EXPECT_EQ(CLanguageSelector::LanguageNameToLibrary(name).rfind(name.substr(0, 5), 0), 0u)
            << name;
    }
    // English names and ISO codes, with or without a country.
    const std::pair<const char*, const char*> others[] = {
        {"japanese", "japanese.dll"},  {"ja", "japanese.dll"},         {"Danish", "denish.dll"},
        {"da_DK", "denish.dll"},       {"portuguese", "portuese.dll"}, {"pt-BR", "portuese.dll"},
        {"pt_PT", "portuese.dll"},     {"italian", "italy.dll"},       {"it", "italy.dll"},
        {"vietnamese", "vietnam.dll"}, {"vi-VN", "vietnam.dll"},       {"de", "german.dll"},
        {"de-AT", "german.dll"},       {"fr_CA", "french.dll"},        {"ar", "arabic.dll"},
        {"uk", "ukrainian.dll"},       {"id", "indonesian.dll"},       {"en-GB", "english.dll"},
        {"zh", "chinese.dll"},         {"chinese", "chinese.dll"},     {"zh-TW", "chinetw.dll"}};
    for (const auto& [name, library] : others) {
        EXPECT_EQ(CLanguageSelector::LanguageNameToLibrary(name), library) << name;
    }
    for (auto lookalike : {"ital", "deu", "xx-DE", "d", "german-x", "korean", "ko"}) {
        EXPECT_EQ(CLanguageSelector::LanguageNameToLibrary(lookalike), "english.dll") << lookalike;
    }
    EXPECT_EQ(CLanguageSelector::SystemLanguageToLibrary(0x0C0A), "spanish.dll");
    EXPECT_EQ(CLanguageSelector::SystemLanguageToLibrary(0xFFFF), "english.dll");
}

TEST(SystemLanguage, PosixLocalesBecomeWindowsLanguageIds) {
    const std::pair<const char*, platform::LanguageId> cases[] = {
        {"de_DE.UTF-8", 0x0407}, {"de_AT", 0x0C07},       {"de", 0x0407},
        {"pt_BR", 0x0416},       {"pt_PT.UTF-8", 0x0816}, {"zh_CN.GB18030", 0x0804},
        {"zh_TW.UTF-8", 0x0404}, {"zh_HK", 0x0C04},       {"zh", 0x0804},
        {"zh.UTF-8", 0x0804},    {"ar_EG", 0x0C01},       {"ar_SA.UTF-8", 0x0401},
        {"ja_JP.UTF-8", 0x0411}, {"es_MX", 0x080A},       {"es_ES@euro", 0x0C0A},
        {"fr_CA", 0x0C0C},       {"en_GB.UTF-8", 0x0809}, {"id_ID", 0x0421},
        {"uk_UA.UTF-8", 0x0422}, {"vi_VN", 0x042A},       {"th_TH", 0x041E},
        {"nn_NO", 0x0814},       {"sv_FI", 0x081D},       {"C", 0x0409},
        {"C.UTF-8", 0x0409},     {"POSIX", 0x0409},       {"", 0x0409},
        {"xx_YY", 0x0409},       {"de-DE", 0x0407},       {"_DE", 0x0409}};
    for (const auto& [locale, id] : cases) {
        EXPECT_EQ(LanguageIdFromPosixLocale(locale), id) << locale;
    }
}

}  // namespace
}  // namespace harbrook
