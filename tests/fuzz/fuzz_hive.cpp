// The registry hive file off Windows: whatever it holds, reading it is safe,
// and a hive we accept is written back to a text that reads the same.
#include <cstdint>
#include <string_view>

#include "platform/hive_format_posix.h"
#include "tests/fuzz/fuzz_check.h"

using harbrook::platform::posix::ParseHive;
using harbrook::platform::posix::SerializeHive;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto hive = ParseHive(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!hive) return 0;
    const std::string text = SerializeHive(*hive);
    const auto again = ParseHive(text);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->size() == hive->size());
    for (std::size_t i = 0; i < hive->size(); ++i) {
        FUZZ_CHECK((*again)[i].path == (*hive)[i].path);
        FUZZ_CHECK((*again)[i].values == (*hive)[i].values);
    }
    FUZZ_CHECK(SerializeHive(*again) == text);
    return 0;
}
