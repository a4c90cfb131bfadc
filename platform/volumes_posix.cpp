// Volumes on POSIX: the local, writable filesystems of the mount table. A
// filesystem mounted at several places (bind mounts) counts once, at its
// shortest mount point.
#include <mntent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "platform/volumes.h"

namespace harbrook::platform {
namespace {

VolumeType TypeOf(const std::string& fsType) {
    static const std::set<std::string> local = {
        "ext2", "ext3",  "ext4", "xfs",   "btrfs",   "f2fs",    "jfs",     "reiserfs", "zfs",
        "vfat", "exfat", "ntfs", "ntfs3", "fuseblk", "hfsplus", "overlay", "apfs"};
    static const std::set<std::string> network = {
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p", "afs", "ceph", "glusterfs"};
    if (local.count(fsType)) return VolumeType::Fixed;
    if (network.count(fsType)) return VolumeType::Network;
    if (fsType == "iso9660" || fsType == "udf") return VolumeType::Optical;
    if (fsType == "tmpfs" || fsType == "ramfs") return VolumeType::Ram;
    return VolumeType::Unknown;
}

// True when the kernel marks the block device (or its parent disk) removable.
bool IsRemovableDevice(const std::string& device) {
    if (device.rfind("/dev/", 0) != 0) return false;
    std::string name = device.substr(5);
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::ifstream f("/sys/class/block/" + name + "/removable");
        int flag = 0;
        if (f >> flag) return flag == 1;
        // A partition has no flag of its own: try the disk (sda1 -> sda, nvme0n1p1 -> nvme0n1).
        const auto p = name.find_last_not_of("0123456789");
        if (p == std::string::npos) break;
        name = name.substr(0, (name[p] == 'p' && p > 0 && std::isdigit(name[p - 1])) ? p : p + 1);
    }
    return false;
}

}  // namespace

std::vector<StorageVolume> ListVolumes() {
    std::vector<StorageVolume> volumes;
    FILE* mounts = ::setmntent("/proc/self/mounts", "r");
    if (!mounts) return volumes;
    struct stat rootStat {
    }, homeStat{};
    const bool haveRoot = ::stat("/", &rootStat) == 0;
    const char* home = std::getenv("HOME");
    const bool haveHome = home && *home == '/' && ::stat(home, &homeStat) == 0;
    std::map<dev_t, std::size_t> byDevice;
    while (const mntent* m = ::getmntent(mounts)) {
        const VolumeType type = TypeOf(m->mnt_type);
        if (type != VolumeType::Fixed) continue;  // pseudo, network, optical, RAM: skipped
        if (::hasmntopt(m, "ro")) continue;
        struct stat st {};
        if (::stat(m->mnt_dir, &st) != 0) continue;
        StorageVolume v;
        v.name = m->mnt_dir;
        v.type = IsRemovableDevice(m->mnt_fsname) ? VolumeType::Removable : VolumeType::Fixed;
        v.isSystem = haveRoot && st.st_dev == rootStat.st_dev;
        v.root = (haveHome && homeStat.st_dev == st.st_dev) ? std::filesystem::path(home)
                                                            : std::filesystem::path(m->mnt_dir);
        if (auto it = byDevice.find(st.st_dev); it != byDevice.end()) {
            if (v.name.size() < volumes[it->second].name.size()) volumes[it->second] = v;
            continue;
        }
        byDevice[st.st_dev] = volumes.size();
        volumes.push_back(std::move(v));
    }
    ::endmntent(mounts);
    std::sort(volumes.begin(), volumes.end(),
              [](const StorageVolume& a, const StorageVolume& b) { return a.name < b.name; });
    return volumes;
}

std::optional<std::uint64_t> TotalFreeBytes(const std::filesystem::path& path) {
    if (path.empty()) return std::nullopt;
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.f_bfree) * static_cast<std::uint64_t>(st.f_frsize);
}

}  // namespace harbrook::platform
