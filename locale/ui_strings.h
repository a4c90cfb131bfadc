// Every user-visible text is looked up by its string-table ID: first in the
// selected language library, then in the program's own (English) table.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/language_library.h"

namespace harbrook {

// A source of texts by string id: a language library, or the program's own table.
using LanguageModule = platform::LanguageLibrary;

// The program's own string table.
const LanguageModule& OwnStringTable();

// The ids of the program's own table, rising.
std::vector<unsigned> OwnStringIds();

// The module texts are looked up in first; the own table until a language is
// chosen. Set once at start-up, before any worker thread runs.
extern const LanguageModule* g_hLangModule;

// The text with that ID, cut to capacity - 1 UTF-16 code units (the capacity
// counts the terminator, as a character buffer would). Empty when neither the
// language module nor the own table has it.
std::string LoadUiString(unsigned id, std::size_t capacity);

// Same, reporting whether the text was found.
bool LoadUiString(unsigned id, std::string& text, std::size_t capacity);

// The text of that id in every language this program ships, each once: the
// current language's first, then English, then the others in library name
// order. Only the names of the backup folders (kStrBackupFolder and the five
// category folders) are kept for every language; any other id gives the
// current text alone. Each name is cut to capacity - 1 UTF-16 code units, as
// LoadUiString cuts it.
std::vector<std::string> UiStringInEveryLanguage(unsigned id, std::size_t capacity);

// True when the current language is written right to left (Arabic).
bool CurrentLanguageIsRightToLeft();

// A value as it goes into a sentence of the current language: in a
// right-to-left language between FIRST STRONG ISOLATE and POP DIRECTIONAL
// ISOLATE (U+2068 ... U+2069), so that a number with its unit, a path or a
// Latin name keeps its own order and stays where the sentence puts it, in
// the terminal and in both windows alike; elsewhere as it is. The format
// functions below isolate every argument themselves.
std::string Isolated(std::string_view value);

// What goes before a line of the program on stderr: "harbrook: ", and in a
// right-to-left language the same behind a RIGHT-TO-LEFT MARK and isolated
// (U+200F U+2066 ... U+2069), so that the Latin name does not turn the
// whole line left to right.
std::string ProgramLinePrefix();

// printf-style "%s" replacement of the one argument (a translated text may
// carry other characters, never other directives that we honour).
std::string FormatWithText(std::string_view format, std::string_view argument);

// printf-style replacement of every "%s" and "%d" by the next argument, in
// order ("%d" takes the number already written as text); "%%" is one "%".
// Directives beyond the arguments stay as they are.
std::string FormatUiText(std::string_view format, const std::vector<std::string>& arguments);

}  // namespace harbrook
