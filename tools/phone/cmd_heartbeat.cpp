// harbrook-phone heartbeat <address:port>
#include <cstdio>

#include "tools/phone/phone_cli.h"
#include "tools/phone/phone_requests.h"
#include "tools/phone/phone_services.h"

namespace harbrook::phone {

int RunHeartbeat(const PhoneArgs& args) {
    if (args.positional.size() != 1 || !ParsePcEndpoint(args.positional[0])) {
        std::fprintf(stderr, "heartbeat: give the monitor endpoint, address:port\n");
        return 2;
    }
    HeartbeatService heartbeat(args.phone, args.positional[0], args.interval, Say);
    heartbeat.SetStatus(args.status);
    heartbeat.Start();
    const auto sent = [&] {
        return args.count > 0 &&
               heartbeat.Answered() + heartbeat.Missed() >= static_cast<std::size_t>(args.count);
    };
    WaitWhileRunning(args, sent);
    heartbeat.Stop();
    return heartbeat.Answered() > 0 ? 0 : 1;
}

}  // namespace harbrook::phone
