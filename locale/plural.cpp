#include "locale/plural.h"

#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

bool In(std::uint64_t value, std::uint64_t low, std::uint64_t high) {
    return value >= low && value <= high;
}

// Russian and Ukrainian share the rule; Polish differs in its "one".
PluralForm EastSlavic(std::uint64_t n) {
    if (n % 10 == 1 && n % 100 != 11) return PluralForm::One;
    if (In(n % 10, 2, 4) && !In(n % 100, 12, 14)) return PluralForm::Few;
    return PluralForm::Many;
}

// French, Spanish, Italian and Portuguese say "a million of files": a
// nonzero multiple of a million takes the "many" form.
bool WholeMillions(std::uint64_t n) {
    return n != 0 && n % 1000000 == 0;
}

}  // namespace

PluralForm PluralFormOf(std::string_view languageCode, std::uint64_t n) {
    const std::string_view language = languageCode.substr(0, languageCode.find('-'));
    if (language == "ar") {
        if (n == 0) return PluralForm::Zero;
        if (n == 1) return PluralForm::One;
        if (n == 2) return PluralForm::Two;
        if (In(n % 100, 3, 10)) return PluralForm::Few;
        if (In(n % 100, 11, 99)) return PluralForm::Many;
        return PluralForm::Other;
    }
    if (language == "ru" || language == "uk") return EastSlavic(n);
    if (language == "pl") {
        if (n == 1) return PluralForm::One;
        if (In(n % 10, 2, 4) && !In(n % 100, 12, 14)) return PluralForm::Few;
        return PluralForm::Many;
    }
    // Brazilian Portuguese counts 0 with 1, as French does (Portugal's does not).
    if (language == "fr" || languageCode == "pt" || languageCode == "pt-BR") {
        if (n <= 1) return PluralForm::One;
        return WholeMillions(n) ? PluralForm::Many : PluralForm::Other;
    }
    if (language == "es" || language == "it" || language == "pt") {
        if (n == 1) return PluralForm::One;
        return WholeMillions(n) ? PluralForm::Many : PluralForm::Other;
    }
    if (language == "en" || language == "de" || language == "nl" || language == "da" ||
        language == "fi" || language == "tr") {
        return n == 1 ? PluralForm::One : PluralForm::Other;
    }
    return PluralForm::Other;  // ja, zh, th, vi, id: one form for every count
}

std::string CurrentLanguageCode() {
    std::optional<std::string> code;
    if (g_hLangModule) code = g_hLangModule->Find(kStrLanguageCode);
    return code ? *code : std::string("en");
}

std::string LoadPluralUiString(unsigned id, std::uint64_t count, std::size_t capacity) {
    const LanguageModule* module = g_hLangModule ? g_hLangModule : &OwnStringTable();
    std::optional<std::string> other = module->Find(id);
    if (!other) {
        module = &OwnStringTable();
        other = module->Find(id);
    }
    if (!other || capacity == 0) return {};
    const std::string code = module->Find(kStrLanguageCode).value_or("en");
    const PluralForm form = PluralFormOf(code, count);
    std::optional<std::string> text;
    if (form != PluralForm::Other) {
        text = module->Find(id + kPluralFormOffset * static_cast<unsigned>(form));
    }
    return std::string(platform::CutToUtf16Units(text ? *text : *other, capacity - 1));
}

std::string FormatCountedUiText(unsigned id, std::uint64_t count, std::size_t capacity,
                                std::vector<std::string> arguments) {
    if (arguments.empty()) arguments.push_back(std::to_string(count));
    return FormatUiText(LoadPluralUiString(id, count, capacity), arguments);
}

}  // namespace harbrook
