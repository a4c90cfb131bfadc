#include "program/window_host.h"

namespace harbrook {

// This build has no window front end: every start runs in the terminal.
std::unique_ptr<FrontEndHost> MakeWindowHost(const Options&) {
    return nullptr;
}

}  // namespace harbrook
