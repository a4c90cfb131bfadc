#include "platform/system_language.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string>

namespace harbrook::platform {
namespace {

struct Primary {
    std::string_view code;  // ISO 639 code as POSIX locales spell it
    LanguageId id;
};

// Windows primary language ids of the languages a desktop is likely to run in.
constexpr Primary kPrimaries[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04},  {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A},  {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"iw", 0x0D}, {"hu", 0x0E}, {"is", 0x0F},  {"it", 0x10}, {"ja", 0x11},
    {"ko", 0x12}, {"nl", 0x13}, {"nb", 0x14}, {"nn", 0x14},  {"no", 0x14}, {"pl", 0x15},
    {"pt", 0x16}, {"rm", 0x17}, {"ro", 0x18}, {"ru", 0x19},  {"hr", 0x1A}, {"sr", 0x1A},
    {"bs", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D},  {"th", 0x1E}, {"tr", 0x1F},
    {"ur", 0x20}, {"id", 0x21}, {"in", 0x21}, {"uk", 0x22},  {"be", 0x23}, {"sl", 0x24},
    {"et", 0x25}, {"lv", 0x26}, {"lt", 0x27}, {"fa", 0x29},  {"vi", 0x2A}, {"hy", 0x2B},
    {"az", 0x2C}, {"eu", 0x2D}, {"mk", 0x2F}, {"af", 0x36},  {"ka", 0x37}, {"hi", 0x39},
    {"ms", 0x3E}, {"kk", 0x3F}, {"gl", 0x56}, {"fil", 0x64},
};

struct Sub {
    LanguageId primary;
    std::string_view territory;  // ISO 3166 code
    LanguageId sub;
};

// Sub-languages where a country makes a difference; any other country of a
// known language gives sub-language 1, the language's default.
constexpr Sub kSubs[] = {
    {0x04, "TW", 1},  {0x04, "CN", 2},  {0x04, "HK", 3},  {0x04, "SG", 4},  {0x04, "MO", 5},
    {0x16, "BR", 1},  {0x16, "PT", 2},  {0x0A, "MX", 2},  {0x0A, "ES", 3},  {0x0A, "GT", 4},
    {0x0A, "CR", 5},  {0x0A, "PA", 6},  {0x0A, "DO", 7},  {0x0A, "VE", 8},  {0x0A, "CO", 9},
    {0x0A, "PE", 10}, {0x0A, "AR", 11}, {0x0A, "EC", 12}, {0x0A, "CL", 13}, {0x0A, "UY", 14},
    {0x0A, "PY", 15}, {0x0A, "BO", 16}, {0x0A, "SV", 17}, {0x0A, "HN", 18}, {0x0A, "NI", 19},
    {0x0A, "PR", 20}, {0x0A, "US", 21}, {0x07, "DE", 1},  {0x07, "CH", 2},  {0x07, "AT", 3},
    {0x07, "LU", 4},  {0x07, "LI", 5},  {0x09, "US", 1},  {0x09, "GB", 2},  {0x09, "AU", 3},
    {0x09, "CA", 4},  {0x09, "NZ", 5},  {0x09, "IE", 6},  {0x09, "ZA", 7},  {0x09, "JM", 8},
    {0x09, "BZ", 10}, {0x09, "TT", 11}, {0x09, "ZW", 12}, {0x09, "PH", 13}, {0x09, "IN", 16},
    {0x09, "MY", 17}, {0x09, "SG", 18}, {0x0C, "FR", 1},  {0x0C, "BE", 2},  {0x0C, "CA", 3},
    {0x0C, "CH", 4},  {0x0C, "LU", 5},  {0x0C, "MC", 6},  {0x01, "SA", 1},  {0x01, "IQ", 2},
    {0x01, "EG", 3},  {0x01, "LY", 4},  {0x01, "DZ", 5},  {0x01, "MA", 6},  {0x01, "TN", 7},
    {0x01, "OM", 8},  {0x01, "YE", 9},  {0x01, "SY", 10}, {0x01, "JO", 11}, {0x01, "LB", 12},
    {0x01, "KW", 13}, {0x01, "AE", 14}, {0x01, "BH", 15}, {0x01, "QA", 16}, {0x13, "BE", 2},
    {0x10, "CH", 2},  {0x1D, "FI", 2},  {0x1A, "RS", 3},  {0x1A, "BA", 5},
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

constexpr LanguageId MakeId(LanguageId primary, LanguageId sub) {
    return static_cast<LanguageId>((sub << 10) | primary);
}

}  // namespace

LanguageId LanguageIdFromPosixLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    const std::size_t languageEnd = locale.find_first_of("_.@-");
    const std::string language = Lower(locale.substr(0, languageEnd));
    std::string territory;
    if (languageEnd != std::string_view::npos && locale[languageEnd] != '.' &&
        locale[languageEnd] != '@') {
        const std::string_view rest = locale.substr(languageEnd + 1);
        territory = Upper(rest.substr(0, rest.find_first_of(".@")));
    }
    const auto primary = std::find_if(std::begin(kPrimaries), std::end(kPrimaries),
                                      [&](const Primary& p) { return p.code == language; });
    if (primary == std::end(kPrimaries)) return kLanguageEnglishUs;
    if (language == "nn") return MakeId(primary->id, 2);  // Norwegian Nynorsk
    const auto sub = std::find_if(std::begin(kSubs), std::end(kSubs), [&](const Sub& s) {
        return s.primary == primary->id && s.territory == territory;
    });
    if (sub != std::end(kSubs)) return MakeId(primary->id, sub->sub);
    // Chinese without a country is most often written in simplified characters.
    return MakeId(primary->id, primary->id == 0x04 ? 2 : 1);
}

}  // namespace harbrook::platform
