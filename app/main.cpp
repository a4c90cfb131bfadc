// Harbrook's entry point. For now it shows what the foundation knows about
// this PC; the phone link and the front ends start here as they arrive.
#include <cstdio>
#include <string>

#include "backup/storage_layout.h"
#include "core/app_folders.h"
#include "core/settings_store.h"
#include "link/endpoints.h"

int main(int argc, char** argv) {
    using namespace harbrook;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::puts(
                "Usage: harbrook [--address A.B.C.D]\n"
                "Shows this PC's identity, data folder and backup root.");
            return 0;
        }
        if (arg == "--address" && i + 1 < argc && IsDottedIPv4(argv[i + 1])) {
            SetLocalAddressOverride(argv[++i]);
            continue;
        }
        std::fprintf(stderr, "harbrook: unknown option or bad value: %s\n", arg.c_str());
        return 2;
    }
    CSettingsStore settings;
    std::string pcId;
    settings.GetPcId(pcId);
    std::filesystem::path data, root;
    GetAppDataFolder(data);
    std::filesystem::path chosen;
    ChooseStorageDrive(SystemVolumes(), chosen);
    std::printf("Harbrook PC identity: %s\n", pcId.c_str());
    std::printf("Local address:        %s\n", GetLocalIPv4().c_str());
    std::printf("Data folder:          %s\n", data.string().c_str());
    std::printf("Stored backup root:   %s\n",
                settings.ReadRootDirectory(root) ? root.string().c_str() : "(none yet)");
    std::printf("Roomiest volume root: %s\n",
                chosen.empty() ? "(none qualifies)" : chosen.string().c_str());
    return 0;
}
