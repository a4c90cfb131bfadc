// One line per backup in "backup_history.txt" of the data folder: when it
// ran, which phone, what arrived and how it ended.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/frontend.h"

namespace harbrook {

struct BackupRecord {
    std::int64_t startSeconds = 0;  // UTC, seconds since 1970
    std::int64_t endSeconds = 0;
    std::string phone;
    std::int64_t files = 0;  // files accepted complete
    std::int64_t bytes = 0;  // bytes written, short files included
    // Files that arrived short or long: answered "fileError", or accepted as
    // they were once the retries ran out.
    std::vector<std::string> incomplete;
    // Disconnected also stands for a backup that a quit cut short.
    BackupOutcome outcome = BackupOutcome::Disconnected;
    std::string reason{};  // why a failed backup failed; empty otherwise
    // Of `files`, those whose content the phone's folder held already.
    std::int64_t alreadyStored = 0;
    // A check of the stored files (--verify), not a backup: `files` and
    // `bytes` were read again, Completed means all intact, Failed that some
    // differ, and `reason` says how many.
    bool check = false;
};

inline constexpr const char* kHistoryFileName = "backup_history.txt";

// The word a record's outcome is stored as ("completed", "failed",
// "interrupted"), and back; nothing for a word that is none of them.
const char* OutcomeKeyword(BackupOutcome outcome);
std::optional<BackupOutcome> OutcomeFromKeyword(std::string_view keyword);

// One record as its line (with the line break) and back; nothing for a line
// that is not a whole record of possible values.
std::string FormatBackupLine(const BackupRecord& record);
std::optional<BackupRecord> ParseBackupLine(std::string_view line);

// Appends the record as one line (the file is created when missing).
bool AppendBackupRecord(const std::filesystem::path& file, const BackupRecord& record);

// Every record in the file, oldest first; lines that cannot be read are
// skipped. Empty when the file does not exist.
// `skipped`, when given, receives how many non-blank lines were left out.
std::vector<BackupRecord> ReadBackupHistory(const std::filesystem::path& file,
                                            std::size_t* skipped = nullptr);

// The note that --history prints under its table for lines it left out;
// empty when there were none.
std::string SkippedLinesNote(std::size_t skipped);

// Text form of a moment, "2024-05-01 13:04:05Z" (UTC), and back.
std::string FormatUtc(std::int64_t seconds);
// Only that exact form of a moment that can exist (no 2024-13-45 99:99:99Z)
// is read; false for anything else.
bool ParseUtc(const std::string& text, std::int64_t& seconds);

}  // namespace harbrook
