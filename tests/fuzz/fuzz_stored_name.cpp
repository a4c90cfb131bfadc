// The name a phone offers becomes a file name: whatever it is, the result
// stays in its folder, fits the file system's limit with any unique number,
// keeps its extension where it can, and is valid UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

#include "backup/storage_layout.h"
#include "platform/text.h"
#include "platform/utf8.h"
#include "tests/fuzz/fuzz_check.h"

using namespace harbrook;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view offered(reinterpret_cast<const char*>(data), size);
    // A frame's text ends at its first zero byte; a name frame holds 255 bytes.
    if (offered.find('\0') != std::string_view::npos || size > 255) return 0;
    const std::string name = StoredFileName(offered, "camera");
    if (name.empty()) return 0;
    FUZZ_CHECK(platform::IsValidUtf8(name));
    FUZZ_CHECK(platform::FileNameLength(name) <= platform::kMaxFileNameLength);
    FUZZ_CHECK(name.find_first_of("/\\:*?\"<>|") == std::string::npos);
    FUZZ_CHECK(name.find_first_not_of(". ") != std::string::npos);
    FUZZ_CHECK(name.find('.') != std::string::npos);
    for (const char* suffix : {"(1)", "(199)"}) {
        const std::string numbered = FitFileName(name, suffix);
        if (numbered.empty()) continue;
        FUZZ_CHECK(platform::IsValidUtf8(numbered));
        FUZZ_CHECK(platform::FileNameLength(numbered) <= platform::kMaxFileNameLength);
        FUZZ_CHECK(numbered.substr(numbered.rfind('.')) == name.substr(name.rfind('.')));
        FUZZ_CHECK(numbered.find(suffix) != std::string::npos);
    }
    return 0;
}
