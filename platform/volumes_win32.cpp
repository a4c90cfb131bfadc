// Volumes on Windows: the drive letters.
#include <windows.h>

#include <array>

#include "platform/volumes.h"

namespace harbrook::platform {

std::vector<StorageVolume> ListVolumes() {
    std::vector<StorageVolume> volumes;
    std::array<wchar_t, 1024> windowsDir{};
    GetWindowsDirectoryW(windowsDir.data(), static_cast<UINT>(windowsDir.size()));
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        const wchar_t letter = static_cast<wchar_t>(L'A' + i);
        const wchar_t drive[] = {letter, L':', L'\0'};
        VolumeType type = VolumeType::Unknown;
        switch (GetDriveTypeW(drive)) {
            case DRIVE_REMOVABLE:
                type = VolumeType::Removable;
                break;
            case DRIVE_FIXED:
                type = VolumeType::Fixed;
                break;
            case DRIVE_REMOTE:
                type = VolumeType::Network;
                break;
            case DRIVE_CDROM:
                type = VolumeType::Optical;
                break;
            case DRIVE_RAMDISK:
                type = VolumeType::Ram;
                break;
            default:
                break;
        }
        StorageVolume v;
        v.name = std::string(1, static_cast<char>('A' + i));
        v.root = std::filesystem::path(std::wstring{letter, L':', L'\\'});
        v.type = type;
        v.isSystem = windowsDir[0] == letter;
        volumes.push_back(std::move(v));
    }
    return volumes;
}

std::optional<std::uint64_t> TotalFreeBytes(const std::filesystem::path& path) {
    if (path.empty()) return std::nullopt;
    ULARGE_INTEGER available{}, total{}, totalFree{};
    if (!GetDiskFreeSpaceExW(path.wstring().c_str(), &available, &total, &totalFree))
        return std::nullopt;
    return totalFree.QuadPart;
}

}  // namespace harbrook::platform
