// Texts that count something, in the plural form the language's grammar
// gives the count. The forms are the CLDR plural categories; a library
// carries each form its language needs as a string of its own (the id plus
// kPluralFormOffset times the form's number, cmake/GenerateStrings.cmake),
// the plain id being the "other" form, and names its language by the code
// of kStrLanguageCode ("fr", "ru", ...), which chooses the rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace harbrook {

enum class PluralForm { Other = 0, Zero = 1, One = 2, Two = 3, Few = 4, Many = 5 };

inline constexpr unsigned kPluralFormOffset = 10000;

// The form of a whole count in the language of that code ("fr", "pt",
// "zh-TW", ...); a language without a rule here has "other" only.
PluralForm PluralFormOf(std::string_view languageCode, std::uint64_t count);

// The language code of the library texts come from now (kStrLanguageCode;
// "en" for the program's own table).
std::string CurrentLanguageCode();

// The text with that id in the form that count takes, from the library that
// has the text (the current one, else the own table), by that library's
// rule; its "other" form where it has no text for the form. Cut as
// LoadUiString cuts.
std::string LoadPluralUiString(unsigned id, std::uint64_t count, std::size_t capacity);

// That text filled in as FormatUiText fills it; without arguments the count
// is its one argument ("%s files" -> "3 files").
std::string FormatCountedUiText(unsigned id, std::uint64_t count, std::size_t capacity,
                                std::vector<std::string> arguments = {});

}  // namespace harbrook
