// libFuzzer target: any bytes as a string catalogue. Parse must refuse or
// accept without reading out of bounds, and whatever it accepts must hand
// out only valid UTF-8 that lies inside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/string_catalogue.h"
#include "platform/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using harbrook::platform::StringCatalogue;
    const auto catalogue =
        StringCatalogue::Parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!catalogue) return 0;
    std::size_t total = 0;
    const auto probe = [&](unsigned id) {
        if (const auto text = catalogue->Find(id)) {
            if (!harbrook::platform::IsValidUtf8(*text)) std::abort();
            total += text->size();
        }
    };
    // The ids of real texts are small; the largest allowed one too.
    for (unsigned id = 0; id < 1024; ++id) probe(id);
    probe(StringCatalogue::kMaxId);
    if (total > size) std::abort();
    return 0;
}
