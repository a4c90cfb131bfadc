// harbrook-phone receive: takes the files that the PC sends to the phone.
#include <cstdio>
#include <iostream>
#include <string>

#include "platform/utf8.h"
#include "tools/phone/cli_args.h"
#include "tools/phone/commands.h"
#include "tools/phone/phone_receive.h"

namespace harbrook::phone {
namespace {

constexpr const char* kUsage =
    "Usage: harbrook-phone receive --out FOLDER [options]\n"
    "Listens for the PC's send, as the phone app does, and stores the files.\n"
    "  --out FOLDER            where received files go\n"
    "  --bind ADDRESS          listen address, 127.0.0.0/8 only (default 127.0.0.1)\n"
    "  --port N                listen port (default 13965)\n"
    "  --timeout MS            wait for each message of the PC (default 15000)\n"
    "  --count N               serve N sends, then end (default 1)\n"
    "Misbehaviour, for tests:\n"
    "  --space N               answer \"insufficient\" to a larger total\n"
    "  --reply-total WORD      answer the total with WORD\n"
    "  --file-error-after N    answer \"fileError\" after N pieces\n"
    "  --silent                never answer\n"
    "  --drop-after N          go away after N pieces (answer no more)\n"
    "  --piece-delay MS        wait MS before answering each piece (a slow phone)\n";

}  // namespace

int RunReceiveCommand(int argc, char** argv) {
    ReceiveOptions options;
    std::int64_t sends = 1;
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
        if (arg == "--out" && hasValue)
            options.outputFolder = platform::PathFromUtf8(argv[++i]);
        else if (arg == "--bind" && hasValue)
            options.bindAddress = argv[++i];
        else if (arg == "--reply-total" && hasValue)
            options.totalReply = argv[++i];
        else if (arg == "--silent")
            options.silent = true;
        else if (arg == "--port")
            ok = count(options.port);
        else if (arg == "--count")
            ok = count(sends);
        else if (arg == "--space")
            ok = count(options.space);
        else if (arg == "--file-error-after")
            ok = count(options.fileErrorAfterPieces);
        else if (arg == "--drop-after")
            ok = count(options.dropAfterPieces);
        else if (arg == "--piece-delay") {
            std::int64_t ms = 0;
            ok = count(ms);
            options.pieceDelay = std::chrono::milliseconds(ms);
        } else if (arg == "--timeout") {
            std::int64_t ms = 0;
            ok = count(ms);
            options.timeout = std::chrono::milliseconds(ms);
        } else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "harbrook-phone receive: bad option %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (options.outputFolder.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    PhoneReceiver receiver(options);
    if (!receiver.IsListening()) {
        std::fprintf(stderr, "harbrook-phone receive: cannot listen on %s:%d\n",
                     options.bindAddress.c_str(), options.port);
        return 1;
    }
    std::printf("listening on %s:%d\n", options.bindAddress.c_str(), options.port);
    std::fflush(stdout);
    int status = 0;
    for (std::int64_t n = 0; n < sends; ++n) {
        const ReceiveReport report = receiver.Serve(&std::cout);
        std::printf("%zu files received%s\n", report.files.size(),
                    report.ended ? ", send ended" : "");
        std::fflush(stdout);
        if (!report.ended || !report.problem.empty()) status = 1;
    }
    return status;
}

}  // namespace harbrook::phone
