// harbrook-phone: a stand-in for the phone app, for people testing a PC.
#include "tools/phone/phone_cli.h"

int main(int argc, char** argv) {
    return harbrook::phone::PhoneMain(argc, argv);
}
