// harbrook-phone listen
#include "tools/phone/phone_cli.h"
#include "tools/phone/phone_services.h"

namespace harbrook::phone {

int RunListen(const PhoneArgs& args) {
    DisconnectListener listener(args.phone, Say);
    if (!listener.Start()) {
        Say("cannot bind " + args.phone.address + ":" +
            std::to_string(args.phone.userDisconnectPort));
        return 1;
    }
    const bool heard = WaitWhileRunning(args, [&] { return !listener.Received().empty(); });
    listener.Stop();
    return heard ? 0 : 1;
}

}  // namespace harbrook::phone
