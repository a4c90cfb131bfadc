// Storage volumes the backup root may live on.
// Windows: drive letters (GetLogicalDrives, GetDriveTypeW, GetDiskFreeSpaceExW,
// GetWindowsDirectoryW). POSIX: local mounted filesystems from the mount table;
// pseudo, network, optical and read-only ones are left out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace harbrook::platform {

enum class VolumeType { Unknown, Removable, Fixed, Network, Optical, Ram };

struct StorageVolume {
    // Sort key and name: the drive letter on Windows ("C"), the mount point on POSIX.
    std::string name;
    // Where a backup root on this volume goes: "C:\" on Windows; on POSIX the
    // user's home when it lies on this volume, else the mount point.
    std::filesystem::path root;
    VolumeType type = VolumeType::Unknown;
    // True for the volume that holds the operating system.
    bool isSystem = false;
};

// Present volumes in name order (drive letter order on Windows).
std::vector<StorageVolume> ListVolumes();

// Total free bytes of the volume holding path (not the amount available to the
// calling user: statvfs f_bfree / GetDiskFreeSpaceExW's total free).
std::optional<std::uint64_t> TotalFreeBytes(const std::filesystem::path& path);

}  // namespace harbrook::platform
