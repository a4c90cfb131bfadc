// harbrook-phone pair <address:port>
#include <cstdio>

#include "tools/phone/phone_cli.h"
#include "tools/phone/phone_requests.h"

namespace harbrook::phone {

// Prints the reply of a pairing; shared with `run`.
void PrintPairingReply(const PairingReply& reply) {
    Say("paired: PC identity " + reply.pcId);
    Say("  monitor endpoint " + reply.monitorEndpoint);
    Say("  computer name    " + reply.computerName +
        (reply.computerNameTerminated ? " (with terminator)" : " (no terminator)"));
    Say("  backup endpoint  " + reply.backupEndpoint);
    if (reply.frames.size() != 4)
        Say("  note: the reply had " + std::to_string(reply.frames.size()) + " frames, not 4");
}

int RunPair(const PhoneArgs& args) {
    if (args.positional.size() != 1 || !ParsePcEndpoint(args.positional[0])) {
        std::fprintf(stderr, "pair: give the QR text, address:port\n");
        return 2;
    }
    const auto reply = Pair(args.phone, args.positional[0], args.timeout);
    if (!reply) {
        Say("no pairing reply from " + args.positional[0]);
        return 1;
    }
    PrintPairingReply(*reply);
    return 0;
}

}  // namespace harbrook::phone
