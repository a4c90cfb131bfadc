// The backup history file: a damaged line is skipped, a line we accept holds
// possible values and is written back to the same record, and the table that
// --history prints never carries a control character to the terminal.
#include <cstdint>
#include <string_view>

#include "app/backup_history.h"
#include "app/history_table.h"
#include "tests/fuzz/fuzz_check.h"

using namespace harbrook;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto record =
        ParseBackupLine(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!record) return 0;
    FUZZ_CHECK(record->files >= 0 && record->bytes >= 0);
    const auto again = ParseBackupLine(FormatBackupLine(*record));
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->startSeconds == record->startSeconds);
    FUZZ_CHECK(again->endSeconds == record->endSeconds);
    FUZZ_CHECK(again->phone == record->phone && again->outcome == record->outcome);
    FUZZ_CHECK(again->incomplete == record->incomplete && again->reason == record->reason);
    FUZZ_CHECK(again->files == record->files && again->bytes == record->bytes);
    for (unsigned char c : FormatHistoryTable({*record}))
        FUZZ_CHECK(c == '\n' || (c >= 0x20 && c != 0x7F));
    return 0;
}
