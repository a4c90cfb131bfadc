#include "locale/ui_strings.h"

#include <algorithm>
#include <array>
#include <utility>

#include "locale/string_ids.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

struct Entry {
    unsigned id;
    const char* text;
};

constexpr Entry kEnglish[] = {
#include "string_table.inc"
};

struct LanguageNames {
    const char* library;
    std::vector<Entry> names;
};

// Sorted by library name, as the sources are listed.
const LanguageNames kFolderNames[] = {
#include "folder_names.inc"
};

class OwnTable final : public LanguageModule {
  public:
    std::optional<std::string> Find(unsigned id) const override {
        const auto it = std::find_if(std::begin(kEnglish), std::end(kEnglish),
                                     [id](const Entry& e) { return e.id == id; });
        if (it == std::end(kEnglish)) return std::nullopt;
        return std::string(it->text);
    }
};

}  // namespace

const LanguageModule& OwnStringTable() {
    static const OwnTable table;
    return table;
}

std::vector<unsigned> OwnStringIds() {
    std::vector<unsigned> ids;
    for (const Entry& e : kEnglish) ids.push_back(e.id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

const LanguageModule* g_hLangModule = &OwnStringTable();

bool LoadUiString(unsigned id, std::string& text, std::size_t capacity) {
    text.clear();
    std::optional<std::string> found;
    if (g_hLangModule) found = g_hLangModule->Find(id);
    if (!found && g_hLangModule != &OwnStringTable()) found = OwnStringTable().Find(id);
    if (!found) return false;
    if (capacity > 0) text = std::string(platform::CutToUtf16Units(*found, capacity - 1));
    return true;
}

std::string LoadUiString(unsigned id, std::size_t capacity) {
    std::string text;
    LoadUiString(id, text, capacity);
    return text;
}

std::vector<std::string> UiStringInEveryLanguage(unsigned id, std::size_t capacity) {
    std::vector<std::string> names;
    const auto add = [&](std::string_view name) {
        if (capacity == 0 || name.empty()) return;
        std::string cut(platform::CutToUtf16Units(name, capacity - 1));
        if (std::find(names.begin(), names.end(), cut) == names.end()) names.push_back(cut);
    };
    add(LoadUiString(id, capacity));
    if (const auto english = OwnStringTable().Find(id)) add(*english);
    for (const auto& language : kFolderNames) {
        for (const Entry& e : language.names)
            if (e.id == id) add(e.text);
    }
    return names;
}

bool CurrentLanguageIsRightToLeft() {
    const auto code = g_hLangModule ? g_hLangModule->Find(kStrLanguageCode) : std::nullopt;
    return code && (*code == "ar" || code->rfind("ar-", 0) == 0);
}

std::string Isolated(std::string_view value) {
    if (value.empty() || !CurrentLanguageIsRightToLeft()) return std::string(value);
    return "\u2068" + std::string(value) + "\u2069";
}

std::string ProgramLinePrefix() {
    if (!CurrentLanguageIsRightToLeft()) return "harbrook: ";
    return "\u200f\u2066harbrook:\u2069 ";
}

std::string FormatWithText(std::string_view format, std::string_view argument) {
    std::string out;
    bool used = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (format[i + 1] == 's' && !used) {
                out += Isolated(argument);
                used = true;
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

std::string FormatUiText(std::string_view format, const std::vector<std::string>& arguments) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char directive = format[i + 1];
            if (directive == '%') {
                out += '%';
                ++i;
                continue;
            }
            if ((directive == 's' || directive == 'd') && next < arguments.size()) {
                out += Isolated(arguments[next++]);
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

}  // namespace harbrook
