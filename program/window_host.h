// The window front end of this build, or nothing when it has none.
#pragma once

#include <memory>

#include "app/startup.h"

namespace harbrook {

std::unique_ptr<FrontEndHost> MakeWindowHost(const Options& options);

}  // namespace harbrook
