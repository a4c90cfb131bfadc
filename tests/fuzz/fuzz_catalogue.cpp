// libFuzzer target: any bytes as a string catalogue. Parse must refuse or
// accept without reading out of bounds, and whatever it accepts must hand
// out only valid UTF-8 no longer than the input. Two ids may share bytes,
// so the texts together may well be longer than the input.
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
    const auto probe = [&](unsigned id) {
        if (const auto text = catalogue->Find(id)) {
            if (!harbrook::platform::IsValidUtf8(*text) || text->size() > size) std::abort();
        }
    };
    // The ids of real texts are small; the largest allowed one too.
    for (unsigned id = 0; id < 1024; ++id) probe(id);
    probe(StringCatalogue::kMaxId);
    return 0;
}
