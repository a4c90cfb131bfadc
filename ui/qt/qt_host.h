// The Qt window front end as start-up runs it: the tray icon and the main
// window, until "Quit", Ctrl-C or SIGTERM.
#pragma once

#include <memory>

#include "app/startup.h"

namespace harbrook {

std::unique_ptr<FrontEndHost> MakeQtHost(const Options& options);

}  // namespace harbrook
