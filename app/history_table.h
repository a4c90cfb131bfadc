// `harbrook --history`: the backup history as a table for the terminal.
#pragma once

#include <string>
#include <vector>

#include "app/backup_history.h"

namespace harbrook {

// One row per record, oldest first, with a header; the incomplete files are
// named under their row. A short note when there is no record yet.
std::string FormatHistoryTable(const std::vector<BackupRecord>& records);

}  // namespace harbrook
