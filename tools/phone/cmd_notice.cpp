// harbrook-phone notice
#include "tools/phone/phone_cli.h"
#include "tools/phone/phone_requests.h"

namespace harbrook::phone {

int RunNotice(const PhoneArgs& args) {
    const bool sent = SendDisconnectNotice(args.phone, args.pcAddress, args.timeout);
    Say(sent ? "told the PC at " + args.pcAddress + " that the phone disconnected"
             : "could not reach the PC at " + args.pcAddress + ":" +
                   std::to_string(args.phone.noticePort));
    return sent ? 0 : 1;
}

}  // namespace harbrook::phone
