// The backup conversation: a phone announces its total, offers files one by
// one, and the PC pulls each in 300000-byte chunks into the storage layout.
#pragma once

#include <cstddef>
#include <filesystem>

#include "backup/storage_layout.h"
#include "link/link_context.h"

namespace harbrook {

// Largest piece of file data a chunk carries, and the receive buffer that
// holds one (with room to spare, as the phone app expects).
inline constexpr std::size_t kChunkDataSize = 300000;
inline constexpr std::size_t kChunkBufferSize = 300010;

// Runs backups one after another, each on a fresh socket, until the stop
// signal. Folders are prepared and files resolved through `storage`.
void BackupReceiverThread(LinkContext& link, StorageLayout& storage);

}  // namespace harbrook
