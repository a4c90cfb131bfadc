// Every language library the build makes: each text as its source has it,
// complete, the same placeholders as the English text in the same order, and
// short enough for the buffer each text is loaded into.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "locale/language_selector.h"
#include "locale/ui_strings.h"
#include "platform/language_library.h"
#include "platform/utf8.h"
#include "tests/locale/built_libraries.h"

namespace harbrook {
namespace {

// The ids every library translates. Texts added to the own table later show
// in English until their translations come.
std::vector<unsigned> TranslatedIds() {
    std::vector<unsigned> ids;
    for (const auto& [first, last] : {std::pair{103u, 119u},
                                      {121u, 129u},
                                      {133u, 150u},
                                      {152u, 157u},
                                      {200u, 236u},
                                      {270u, 270u},
                                      {240u, 255u},
                                      {400u, 425u},
                                      {440u, 458u},
                                      {300u, 306u}}) {
        for (unsigned id = first; id <= last; ++id) ids.push_back(id);
    }
    return ids;
}

// The buffer (terminator included) each text is loaded into where it is shown.
std::size_t Capacity(unsigned id) {
    static const std::map<unsigned, std::size_t> capacities = {
        {104, 50},  {105, 150}, {106, 150}, {107, 50},  {108, 200}, {109, 200},
        {110, 128}, {111, 150}, {112, 150}, {121, 100}, {122, 100}, {123, 100},
        {124, 100}, {125, 100}, {126, 100}, {127, 300}, {128, 300}, {129, 300},
        {133, 200}, {134, 300}, {135, 200}, {136, 300}, {137, 200}, {138, 300},
        {139, 200}, {140, 300}, {141, 200}, {142, 200}, {143, 50},  {154, 200}};
    const auto it = capacities.find(id);
    if (it != capacities.end()) return it->second;
    return id >= 240 && id < 260 ? 1024 : 512;
}

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

std::filesystem::path LocalesFolder() {
    return test::BuiltLocalesFolder();
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
    const auto library =
        platform::LoadLanguageLibrary(LocalesFolder() / CLanguageSelector::LibraryFile(GetParam()));
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
    const auto file = LocalesFolder() / CLanguageSelector::LibraryFile(GetParam());
    const auto library = platform::LoadLanguageLibrary(file);
    ASSERT_TRUE(library) << file;
    std::size_t sameAsEnglish = 0;
    for (unsigned id : TranslatedIds()) {
        const auto english = OwnStringTable().Find(id);
        ASSERT_TRUE(english) << id << " is no longer in the own table";
        const auto text = library->Find(id);
        ASSERT_TRUE(text) << GetParam() << " lacks " << id;
        EXPECT_EQ(Directives(*text), Directives(*english)) << GetParam() << ' ' << id;
        EXPECT_LT(platform::Utf16Units(*text), Capacity(id)) << GetParam() << ' ' << id;
        EXPECT_TRUE(platform::IsValidUtf8(*text));
        if (*text == *english) ++sameAsEnglish;
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
    const auto library =
        platform::LoadLanguageLibrary(LocalesFolder() / CLanguageSelector::LibraryFile(GetParam()));
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
    const auto library = platform::LoadLanguageLibrary(
        LocalesFolder() / CLanguageSelector::LibraryFile("english.dll"));
    ASSERT_TRUE(library);
    for (unsigned id : OwnStringIds())
        EXPECT_EQ(library->Find(id), OwnStringTable().Find(id)) << id;
}

INSTANTIATE_TEST_SUITE_P(EveryLibrary, Translations, ::testing::ValuesIn(test::LibraryNames()),
                         [](const auto& info) {
                             return info.param.substr(0, info.param.find('.'));
                         });

}  // namespace
}  // namespace harbrook
