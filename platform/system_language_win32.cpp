#include <windows.h>

#include "platform/system_language.h"

namespace harbrook::platform {

LanguageId SystemDefaultUiLanguage() {
    return GetSystemDefaultUILanguage();
}

}  // namespace harbrook::platform
