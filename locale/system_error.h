// A failure the system reported, as the program's own sentence in the user's
// language with the system's code after it: "the disk is full (system error
// 28)". The system's words would be in the system's language, or English.
#pragma once

#include <string>

#include "platform/autostart.h"
#include "platform/file_io.h"
#include "platform/single_instance.h"

namespace harbrook {

std::string DescribeFileError(const platform::FileError& error);

// Why the start at login could not be switched; `place` is where it lives
// (the autostart entry's path, or the Run key's).
std::string DescribeStartAtLoginFailure(const platform::StartAtLoginFailure& failure,
                                        const std::string& place);

// Why a later start could not hand its request to the running instance.
std::string DescribeDeliveryFailure(const platform::DeliveryFailure& failure);

}  // namespace harbrook
