#include <cstdlib>

#include "platform/system_language.h"

namespace harbrook::platform {

LanguageId SystemDefaultUiLanguage() {
    // The first of these that is set and not empty names the locale of
    // messages, as setlocale() would take it.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return LanguageIdFromPosixLocale(value);
    }
    return kLanguageEnglishUs;
}

}  // namespace harbrook::platform
