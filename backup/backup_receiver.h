// The backup conversation: a phone announces its total, offers files one by
// one, and the PC pulls each in 300000-byte chunks into the storage layout.
#pragma once

#include <cstddef>
#include <filesystem>

#include "backup/storage_layout.h"
#include "link/link_context.h"
#include "platform/file_io.h"

namespace harbrook {

// Largest piece of file data a chunk carries, and the receive buffer that
// holds one (with room to spare, as the phone app expects).
inline constexpr std::size_t kChunkDataSize = 300000;
inline constexpr std::size_t kChunkBufferSize = 300010;

// Runs backups one after another, each on a fresh socket, until the stop
// signal. Folders are prepared and files resolved through `storage`.
void BackupReceiverThread(LinkContext& link, StorageLayout& storage);

// Creates the target file, numbering the name "(1)" ... "(199)" before the
// last dot of the file name while the name is taken; when all of those are
// taken too, "(199)" is overwritten. On success the path names the file
// created. A closed file when the name has no dot or nothing can be created.
// An unnamed `spare` (platform::File::CreateUnnamed), when given, becomes the
// file if the name is free, and is taken; otherwise it is left as it is.
platform::File CreateUniqueTargetFile(std::filesystem::path& path, platform::File* spare = nullptr);

}  // namespace harbrook
