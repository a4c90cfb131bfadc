// harbrook-phone beacon
#include "tools/phone/phone_cli.h"
#include "tools/phone/phone_services.h"

namespace harbrook::phone {

int RunBeacon(const PhoneArgs& args) {
    BeaconService beacon(args.phone, args.interval, Say);
    beacon.SetAnswer(args.status);
    if (!beacon.Start()) {
        Say("cannot bind the beacon or detection port on " + args.phone.address);
        return 1;
    }
    Say("beacon on " + args.phone.address + ":" + std::to_string(args.phone.beaconPort) + " says " +
        args.phone.DetectEndpoint());
    WaitWhileRunning(args, [] { return false; });
    beacon.Stop();
    return 0;
}

}  // namespace harbrook::phone
