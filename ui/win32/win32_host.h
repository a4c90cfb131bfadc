// The Win32 window front end as start-up drives it.
#pragma once

#include <memory>

#include "app/startup.h"

namespace harbrook {

std::unique_ptr<FrontEndHost> MakeWin32Host(const Options& options);

}  // namespace harbrook
