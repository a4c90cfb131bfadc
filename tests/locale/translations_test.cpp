// Every language library the build makes: each text as its source has it,
// complete, the same placeholders as the English text in the same order, and
// short enough for the buffer each text is loaded into.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "locale/language_selector.h"
#include "locale/plural.h"
#include "locale/ui_strings.h"
#include "platform/language_library.h"
#include "platform/utf8.h"
#include "tests/locale/built_libraries.h"

namespace harbrook {
namespace {

// The ids every library translates: the own table's, without the plural
// forms (a language has only the forms its rule reaches).
std::vector<unsigned> TranslatedIds() {
    std::vector<unsigned> ids = OwnStringIds();
    std::erase_if(ids, [](unsigned id) { return id >= kPluralFormOffset; });
    return ids;
}

// The longest text any buffer takes (terminator included); the window tests
// check that each language's texts fit where they are shown.
constexpr std::size_t kLongestText = 1024;

// The printf directives of a text, in order ("%%" included), then its
// named {placeholders} in any order (a translation may need another one).
std::string Directives(std::string_view text) {
    std::string out;
    std::multiset<std::string_view> named;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '%') {
            out += text.substr(i, 2);
            ++i;
        } else if (text[i] == '{') {
            const std::size_t end = text.find('}', i);
            if (end == std::string_view::npos) break;
            named.insert(text.substr(i, end + 1 - i));
        }
    }
    for (const auto name : named) out += name;
    return out;
}

struct SourceText {
    unsigned id;
    const char* text;
};

// Each library's texts as res/strings/ has them, by library file name.
const std::map<std::string, std::vector<SourceText>>& SourceTexts() {
    static const std::map<std::string, std::vector<SourceText>> texts = {
#include "source_texts.inc"
    };
    return texts;
}

class Translations : public ::testing::TestWithParam<std::string> {};

// Read back through the program's own loader (LoadStringW on Windows), every
// text is its source's, character for character: nothing the resource
// compiler or the catalogue did changed one.
TEST_P(Translations, EveryTextReadsBackAsItsSource) {
    const auto library = test::LoadBuiltLibrary(GetParam());
    ASSERT_TRUE(library);
    const auto source = SourceTexts().find(GetParam());
    ASSERT_NE(source, SourceTexts().end()) << GetParam() << " has no source";
    std::size_t differ = 0;
    for (const auto& [id, text] : source->second) {
        const std::string read = library->Find(id).value_or("");
        if (read == text) continue;
        if (++differ <= 3) ADD_FAILURE() << GetParam() << ' ' << id << " reads \"" << read << '"';
    }
    EXPECT_EQ(differ, 0u) << GetParam() << ": texts that read back otherwise, of "
                          << source->second.size();
    EXPECT_GE(source->second.size(), TranslatedIds().size());
}

TEST_P(Translations, CompleteWithTheEnglishPlaceholdersAndWithinCapacity) {
    const auto library = test::LoadBuiltLibrary(GetParam());
    ASSERT_TRUE(library) << GetParam();
    std::size_t sameAsEnglish = 0;
    for (unsigned id : TranslatedIds()) {
        const auto english = OwnStringTable().Find(id);
        ASSERT_TRUE(english) << id << " is no longer in the own table";
        const auto text = library->Find(id);
        ASSERT_TRUE(text) << GetParam() << " lacks " << id;
        EXPECT_EQ(Directives(*text), Directives(*english)) << GetParam() << ' ' << id;
        EXPECT_LT(platform::Utf16Units(*text), kLongestText) << GetParam() << ' ' << id;
        EXPECT_TRUE(platform::IsValidUtf8(*text));
        if (*text == *english && id < 470) ++sameAsEnglish;  // units and signs may be the same
    }
    // The plural forms: only those the language's rule gives a count, with
    // the placeholders of the text they stand for.
    const std::string code = library->Find(470).value_or("");
    std::set<PluralForm> reachable;
    for (std::uint64_t n : {0, 1, 2, 3, 5, 11, 21, 101, 1000000}) {
        reachable.insert(PluralFormOf(code, n));
    }
    for (unsigned id : TranslatedIds()) {
        for (unsigned form = 1; form <= 5; ++form) {
            const auto text = library->Find(id + form * kPluralFormOffset);
            if (!text) continue;
            EXPECT_TRUE(reachable.count(static_cast<PluralForm>(form)))
                << GetParam() << " (" << code << ") " << id << " has form " << form;
            EXPECT_EQ(Directives(*text), Directives(OwnStringTable().Find(id).value_or("")))
                << GetParam() << ' ' << id << " form " << form;
            EXPECT_LT(platform::Utf16Units(*text), kLongestText) << GetParam() << ' ' << id;
        }
        // A text that counts (English has its "one") has every form the
        // language's rule reaches, so that no count falls back to "other"
        // ("1 fehlen"). Arabic's zero and two may: its "other" reads right
        // after 0 and 2 written as digits.
        if (!OwnStringTable().Find(id + 2 * kPluralFormOffset)) continue;
        for (const PluralForm form : reachable) {
            if (form == PluralForm::Other || form == PluralForm::Zero || form == PluralForm::Two)
                continue;
            EXPECT_TRUE(library->Find(id + static_cast<unsigned>(form) * kPluralFormOffset))
                << GetParam() << " (" << code << ") " << id << " lacks form "
                << static_cast<int>(form);
        }
    }
    // A few texts stay as they are ("Harbrook", "Audio", "Tencent"); more
    // means a text was left untranslated.
    if (GetParam() != "english.dll") {
        EXPECT_LE(sameAsEnglish, 8u) << GetParam();
    }
    // Nothing the program does not have.
    const auto own = OwnStringIds();
    for (unsigned id = 0; id <= 1000; ++id) {
        if (library->Find(id)) {
            EXPECT_TRUE(std::binary_search(own.begin(), own.end(), id))
                << GetParam() << " has " << id << ", which the program does not use";
        }
    }
}

TEST_P(Translations, CategoryFolderNamesAreDistinctValidNames) {
    const auto library = test::LoadBuiltLibrary(GetParam());
    ASSERT_TRUE(library);
    std::set<std::string> names;
    for (unsigned id = 121; id <= 126; ++id) {
        const std::string name = library->Find(id).value_or("");
        ASSERT_FALSE(name.empty()) << id;
        EXPECT_EQ(name.find_first_of("/\\:*?\"<>|\r\n\t"), std::string::npos)
            << GetParam() << ' ' << id;
        EXPECT_NE(name.back(), '.') << GetParam() << ' ' << id;
        EXPECT_NE(name.back(), ' ') << GetParam() << ' ' << id;
        EXPECT_NE(name.front(), ' ') << GetParam() << ' ' << id;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 6u) << GetParam() << ": two folders of one name";
}

TEST(TranslationsEnglish, TheEnglishLibraryIsTheOwnTable) {
    const auto library = test::LoadBuiltLibrary("english.dll");
    ASSERT_TRUE(library);
    for (unsigned id : OwnStringIds())
        EXPECT_EQ(library->Find(id), OwnStringTable().Find(id)) << id;
}

// Each count in the form its language gives it, through the libraries the
// build made: French counts 0 with 1, Russian 21 with 1, Arabic has a form
// for 3 to 10 and one for 11 to 99.
TEST(PluralForms, CountsTakeTheirLanguagesForm) {
    struct Case {
        const char* library;
        std::vector<std::pair<std::uint64_t, std::string>> counts;
    };
    const Case cases[] = {
        {"english.dll", {{0, "(0 files)"}, {1, "(1 file)"}, {2, "(2 files)"}, {21, "(21 files)"}}},
        {"french.dll",
         {{0, "(0 fichier)"},
          {1, "(1 fichier)"},
          {2, "(2 fichiers)"},
          {5, "(5 fichiers)"},
          {21, "(21 fichiers)"},
          {2000000, "(2000000 de fichiers)"}}},
        {"russian.dll",
         {{0, "(0 файлов)"},
          {1, "(1 файл)"},
          {2, "(2 файла)"},
          {5, "(5 файлов)"},
          {21, "(21 файл)"},
          {112, "(112 файлов)"}}},
        {"arabic.dll",
         {{0, "(0 ملف)"},
          {1, "(1 ملف)"},
          {2, "(2 ملف)"},
          {5, "(5 ملفات)"},
          {21, "(21 ملفًا)"},
          {100, "(100 ملف)"}}},
    };
    test::UsingLanguage language;
    for (const auto& c : cases) {
        const auto library = test::LoadBuiltLibrary(c.library);
        ASSERT_TRUE(library) << c.library;
        language.Use(library.get());
        for (const auto& [n, expected] : c.counts) {
            // (Arabic isolates the number: the forms are what is checked here.)
            std::string text = FormatUiText(LoadPluralUiString(215, n, 512), {std::to_string(n)});
            for (const std::string mark : {"\u2068", "\u2069"}) {
                for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark))
                    text.erase(at, mark.size());
            }
            EXPECT_EQ(text, expected) << c.library << ' ' << n;
        }
    }
    language.Use(nullptr);
    EXPECT_EQ(LoadPluralUiString(300, 1, 512), "{files} file, {size}, in {time}.");
    // A Russian library without the text: English, by the English rule.
    const test::TextLibrary russianWithoutTexts({{470, "ru"}});
    language.Use(&russianWithoutTexts);
    EXPECT_EQ(LoadPluralUiString(300, 21, 512), "{files} files, {size}, in {time}.");
}

TEST(PluralForms, RulesOfTheLanguagesWithSeveralForms) {
    using F = PluralForm;
    const std::pair<const char*, std::vector<F>> rules[] = {
        // counts 0, 1, 2, 3, 5, 11, 12, 21, 22, 101, 111, 1000000
        {"ar",
         {F::Zero, F::One, F::Two, F::Few, F::Few, F::Many, F::Many, F::Many, F::Many, F::Other,
          F::Many, F::Other}},
        {"pl",
         {F::Many, F::One, F::Few, F::Few, F::Many, F::Many, F::Many, F::Many, F::Few, F::Many,
          F::Many, F::Many}},
        {"uk",
         {F::Many, F::One, F::Few, F::Few, F::Many, F::Many, F::Many, F::One, F::Few, F::One,
          F::Many, F::Many}},
        {"pt-BR",
         {F::One, F::One, F::Other, F::Other, F::Other, F::Other, F::Other, F::Other, F::Other,
          F::Other, F::Other, F::Many}},
        {"pt-PT",
         {F::Other, F::One, F::Other, F::Other, F::Other, F::Other, F::Other, F::Other, F::Other,
          F::Other, F::Other, F::Many}},
        {"de",
         {F::Other, F::One, F::Other, F::Other, F::Other, F::Other, F::Other, F::Other, F::Other,
          F::Other, F::Other, F::Other}},
        {"ja", std::vector<F>(12, F::Other)},
    };
    const std::uint64_t counts[] = {0, 1, 2, 3, 5, 11, 12, 21, 22, 101, 111, 1000000};
    for (const auto& [code, forms] : rules) {
        for (std::size_t i = 0; i < forms.size(); ++i) {
            EXPECT_EQ(PluralFormOf(code, counts[i]), forms[i]) << code << ' ' << counts[i];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLibrary, Translations, ::testing::ValuesIn(test::LibraryNames()),
                         [](const auto& library) {
                             return library.param.substr(0, library.param.find('.'));
                         });

}  // namespace
}  // namespace harbrook
