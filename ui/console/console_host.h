// The console front end as start-up runs it: prints to stdout and ends on
// Ctrl-C or SIGTERM.
#pragma once

#include <memory>

#include "app/startup.h"

namespace harbrook {

std::unique_ptr<FrontEndHost> MakeConsoleHost();

}  // namespace harbrook
