// harbrook-phone run <address:port>: the whole phone side at once.
#include <cstdio>

#include "tools/phone/phone_cli.h"
#include "tools/phone/phone_requests.h"
#include "tools/phone/phone_services.h"

namespace harbrook::phone {

void PrintPairingReply(const PairingReply& reply);

int RunPhone(const PhoneArgs& args) {
    if (args.positional.size() != 1 || !ParsePcEndpoint(args.positional[0])) {
        std::fprintf(stderr, "run: give the QR text, address:port\n");
        return 2;
    }
    DisconnectListener listener(args.phone, Say);
    BeaconService beacon(args.phone, args.interval, Say);
    beacon.SetAnswer(args.status);
    if (!listener.Start() || !beacon.Start()) {
        Say("cannot bind the phone's ports on " + args.phone.address);
        return 1;
    }
    const auto reply = Pair(args.phone, args.positional[0], args.timeout);
    if (!reply) {
        Say("no pairing reply from " + args.positional[0]);
        return 1;
    }
    PrintPairingReply(*reply);

    HeartbeatService heartbeat(args.phone, reply->monitorEndpoint, args.interval, Say);
    heartbeat.SetStatus(args.status);
    heartbeat.Start();
    if (args.silentAfter) {
        PhoneArgs firstPart = args;
        firstPart.seconds = args.silentAfter;
        WaitWhileRunning(firstPart, [] { return false; });
        heartbeat.Stop();
        Say("heartbeat stopped; the beacon goes on");
    }
    WaitWhileRunning(args, [] { return false; });
    heartbeat.Stop();
    beacon.Stop();
    listener.Stop();
    return 0;
}

}  // namespace harbrook::phone
