#include "tools/phone/phone_cli.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <thread>

#include "link/endpoints.h"

namespace harbrook::phone {
namespace {

std::atomic<bool> g_interrupted{false};
const auto g_start = std::chrono::steady_clock::now();

extern "C" void OnSignal(int) {
    g_interrupted = true;
}

constexpr const char* kOptionsHelp = R"(Options (before or after the command):
  --address A.B.C.D    the phone's own address: it binds and reports only this (127.0.0.1)
  --source A.B.C.D     where its connections to the PC leave from, the address the
                       PC sees (the system's choice)
  --pc A.B.C.D         the PC's address, for the disconnect notice (127.0.0.1)
  --name TEXT          the phone's name (Harbrook Phone)
  --id TEXT            the phone's identity, the key of its record on the PC
  --routing-id TEXT    the identity of the phone's sockets (phone)
  --beacon-port N      where the beacon is published (24639)
  --detect-port N      where the detection request is taken (24640)
  --notice-port N      the PC's port for the disconnect notice (4358)
  --disconnect-port N  where the user's disconnect is taken (34926)
  --interval MS        between heartbeats or beacons (2000)
  --timeout MS         wait for the PC's answer (5000)
  --count N            heartbeats to send (0: until interrupted)
  --seconds S          how long to run (until Ctrl-C)
  --silent-after S     run: stop the heartbeat after S seconds
  --status WORD        heartbeat status word / detection answer (Connected)
)";

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: harbrook-phone <command> [arguments] [options]\n"
                 "A stand-in for the Harbrook phone app: it speaks the phone's side of the\n"
                 "link with a Harbrook PC.\n\nCommands:\n");
    for (const PhoneCommand& c : PhoneCommands())
        std::fprintf(out, "  %s\n      %s\n", c.synopsis, c.help);
    std::fprintf(out, "\n%s", kOptionsHelp);
}

bool ParsePort(const char* text, int& port) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!end || *end || v < 1 || v > 65535) return false;
    port = static_cast<int>(v);
    return true;
}

bool ParseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end && !*end && value >= 0;
}

// Applies one option with its value. False for an unknown option or a bad value.
bool ApplyOption(std::string_view option, const char* value, PhoneArgs& a) {
    double number = 0;
    if (option == "--address" || option == "--pc" || option == "--source") {
        if (!IsDottedIPv4(value)) return false;
        (option == "--address" ? a.phone.address
         : option == "--pc"    ? a.pcAddress
                               : a.phone.sourceAddress) = value;
        return true;
    }
    if (option == "--name") return a.phone.name = value, true;
    if (option == "--id") return a.phone.id = value, true;
    if (option == "--routing-id") return a.phone.routingId = value, *value != '\0';
    if (option == "--status") return a.status = value, true;
    if (option == "--beacon-port") return ParsePort(value, a.phone.beaconPort);
    if (option == "--detect-port") return ParsePort(value, a.phone.detectPort);
    if (option == "--notice-port") return ParsePort(value, a.phone.noticePort);
    if (option == "--disconnect-port") return ParsePort(value, a.phone.userDisconnectPort);
    if (!ParseNumber(value, number)) return false;
    if (option == "--interval") return a.interval = std::chrono::milliseconds(long(number)), true;
    if (option == "--timeout") return a.timeout = std::chrono::milliseconds(long(number)), true;
    if (option == "--count") return a.count = int(number), true;
    if (option == "--seconds") return a.seconds = number, true;
    if (option == "--silent-after") return a.silentAfter = number, true;
    return false;
}

}  // namespace

const std::vector<PhoneCommand>& PhoneCommands() {
    static const std::vector<PhoneCommand> commands{
        {"pair", "pair <address:port>",
         "Pairs with the PC whose QR code says address:port and prints its reply.", RunPair},
        {"heartbeat", "heartbeat <address:port>",
         "Sends heartbeats to the PC's monitor endpoint (from the pairing reply), --count\n"
         "      of them (or until Ctrl-C), one every --interval, with --status as status word.",
         RunHeartbeat},
        {"beacon", "beacon",
         "Publishes the beacon on --beacon-port and answers the PC's detection request\n"
         "      on --detect-port with --status (Connected accepts).",
         RunBeacon},
        {"notice", "notice", "Tells the PC at --pc that the phone disconnected (\"Disconnected\").",
         RunNotice},
        {"listen", "listen",
         "Waits on --disconnect-port for the user's disconnect from the PC and prints it.",
         RunListen},
        {"run", "run <address:port>",
         "Behaves like the phone: pairs, then sends heartbeats, publishes the beacon,\n"
         "      answers detection and takes the user's disconnect, printing what happens.",
         RunPhone},
    };
    return commands;
}

bool Interrupted() {
    return g_interrupted.load();
}

bool WaitWhileRunning(const PhoneArgs& args, const std::function<bool()>& done) {
    const auto until = args.seconds
                           ? g_start + std::chrono::milliseconds(long(*args.seconds * 1000))
                           : std::chrono::steady_clock::time_point::max();
    while (!done()) {
        if (Interrupted() || std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void Say(const std::string& line) {
    static std::mutex mutex;
    const double t =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
    std::lock_guard lock(mutex);
    std::printf("[%7.2f] %s\n", t, line.c_str());
    std::fflush(stdout);
}

int PhoneMain(int argc, char** argv) {
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    PhoneArgs args;
    std::string command;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "help") {
            PrintUsage(stdout);
            return 0;
        }
        if (arg.starts_with("--")) {
            if (i + 1 >= argc || !ApplyOption(arg, argv[i + 1], args)) {
                std::fprintf(stderr, "harbrook-phone: bad option or value: %s\n", argv[i]);
                return 2;
            }
            ++i;
        } else if (command.empty()) {
            command = arg;
        } else {
            args.positional.emplace_back(arg);
        }
    }
    for (const PhoneCommand& c : PhoneCommands())
        if (command == c.name) return c.run(args);
    if (!command.empty())
        std::fprintf(stderr, "harbrook-phone: unknown command: %s\n\n", command.c_str());
    PrintUsage(stderr);
    return 2;
}

}  // namespace harbrook::phone
