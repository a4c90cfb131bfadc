// The backup conversation: a phone announces its total, offers files one by
// one, and the PC pulls each in 300000-byte chunks into the storage layout.
#pragma once

#include <filesystem>

#include "backup/storage_layout.h"
#include "link/link_context.h"

namespace harbrook {

// Runs backups one after another until the stop signal.
void BackupReceiverThread(LinkContext& link, StorageLayout& storage);

// Creates the target file, numbering the name "(1)" ... "(199)" before the
// last dot when it exists; the last candidate is overwritten. On success the
// path names the file created. False when the path has no usable dot or the
// file cannot be created.
bool CreateUniqueTargetFile(std::filesystem::path& path, std::FILE*& file);

}  // namespace harbrook
