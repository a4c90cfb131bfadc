// libFuzzer target: the version reader on arbitrary bytes, as a downloaded
// installer may hold them. It must neither crash nor read outside the input.
#include <cstddef>
#include <cstdint>
#include <span>

#include "update/pe_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto version = harbrook::ReadPeFileVersion(std::span(data, size));
    if (version) (void)version->Text();
    return 0;
}
