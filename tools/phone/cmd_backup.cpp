// harbrook-phone backup: backs the given files and folders up to a PC.
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <utility>

#include "platform/utf8.h"
#include "tools/phone/cli_args.h"
#include "tools/phone/commands.h"
#include "tools/phone/phone_backup.h"

namespace harbrook::phone {
namespace {

constexpr const char* kUsage =
    "Usage: harbrook-phone backup --pc ADDRESS:PORT [options] FILE_OR_FOLDER...\n"
    "Backs the files up to the PC's backup receiver, as the phone app does.\n"
    "  --pc ADDRESS:PORT       the PC's backup endpoint (127.0.0.0/8 only)\n"
    "  --identity TEXT         socket identity (default harbrook-phone)\n"
    "  --from ADDRESS          connect from this local address (127.0.0.0/8 only),\n"
    "                          as another device on the network would\n"
    "  --timeout MS            wait for each word of the PC (default 15000)\n"
    "  --include-empty         offer empty files too (the PC refuses them)\n"
    "  --pace MS               pause before each chunk, as a phone on slow Wi-Fi (demos)\n"
    "  --generate COUNT:SIZE   instead of files and folders: COUNT files of SIZE bytes\n"
    "                          made in memory, no two alike (IMG_000000.jpg ...,\n"
    "                          camera category)\n"
    "Misbehaviour, for tests:\n"
    "  --total TEXT            announce this total instead of the true one\n"
    "  --short N               the first N deliveries leave out their last byte\n"
    "  --size-delta N          add N to every announced file size\n"
    "  --vanish-after N        go silent after sending N chunks\n"
    "  --category WORD         send this category for every file\n";

}  // namespace

int RunBackupCommand(int argc, char** argv) {
    BackupOptions options;
    std::vector<std::filesystem::path> roots;
    bool includeEmpty = false;
    std::optional<std::pair<std::int64_t, std::int64_t>> generate;  // count, size
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto count = [&](auto& field) {
            const auto value = hasValue ? ParseCount(argv[++i]) : std::nullopt;
            if (value) field = static_cast<std::remove_reference_t<decltype(field)>>(*value);
            return value.has_value();
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        bool ok = true;
        if (arg == "--pc" && hasValue)
            options.pcEndpoint = argv[++i];
        else if (arg == "--identity" && hasValue)
            options.identity = argv[++i];
        else if (arg == "--from" && hasValue)
            options.sourceAddress = argv[++i];
        else if (arg == "--total" && hasValue)
            options.announcedTotal = argv[++i];
        else if (arg == "--category" && hasValue)
            options.category = argv[++i];
        else if (arg == "--generate" && hasValue) {
            const std::string value = argv[++i];
            const std::size_t colon = value.find(':');
            const auto files = ParseCount(value.substr(0, colon));
            const auto size =
                colon == std::string::npos ? std::nullopt : ParseCount(value.substr(colon + 1));
            ok = files && size && *files > 0 && *files <= 1'000'000'000 && *size > 0;
            if (ok) generate.emplace(*files, *size);
        } else if (arg == "--include-empty")
            includeEmpty = true;
        else if (arg == "--short")
            ok = count(options.shortDeliveries);
        else if (arg == "--size-delta")
            ok = count(options.sizeDelta);
        else if (arg == "--vanish-after")
            ok = count(options.vanishAfterChunks);
        else if (arg == "--pace") {
            std::int64_t ms = 0;
            ok = count(ms);
            options.pace = std::chrono::milliseconds(ms);
        } else if (arg == "--timeout") {
            std::int64_t ms = 0;
            ok = count(ms);
            options.replyTimeout = std::chrono::milliseconds(ms);
        } else if (!arg.starts_with("--"))
            roots.push_back(platform::PathFromUtf8(arg));
        else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "harbrook-phone backup: bad option %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (options.pcEndpoint.empty() || roots.empty() == !generate) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const auto files =
        generate ? GenerateBackupFiles(static_cast<int>(generate->first), generate->second)
                 : CollectBackupFiles(roots, includeEmpty);
    std::printf("offering %zu files\n", files.size());
    const BackupReport report = RunPhoneBackup(options, files, &std::cout);
    std::printf("accepted %d, rejected %d, chunks %d%s\n", report.filesAccepted, report.fileErrors,
                report.chunksSent, report.ended ? ", backup ended" : "");
    return report.ended && report.problem.empty() ? 0 : 1;
}

}  // namespace harbrook::phone
