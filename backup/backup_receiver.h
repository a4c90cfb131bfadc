// The backup conversation: a phone announces its total, offers files one by
// one, and the PC pulls each in 300000-byte chunks into the storage layout.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "backup/storage_layout.h"
#include "link/link_context.h"
#include "platform/file.h"

namespace harbrook {

inline constexpr std::size_t kChunkSize = 300000;
inline constexpr std::size_t kChunkBuffer = 300010;

// Runs backups one after another until the stop signal.
void BackupReceiverThread(LinkContext& link, StorageLayout& storage);

// Creates the target file, numbering the name "(1)" ... "(199)" before the
// last dot while the name is taken; the last candidate is overwritten. On
// success the path names the file created. False when the path has no usable
// dot or the file cannot be created.
bool CreateUniqueTargetFile(std::filesystem::path& path, platform::OutputFile& file);

// Decimal text read like the C library's 64-bit conversion: leading blanks,
// a sign, digits up to the first other character; saturates instead of
// overflowing; 0 without digits.
std::int64_t ParseDecimal64(std::string_view text);

}  // namespace harbrook
