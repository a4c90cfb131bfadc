// A failure the system reported, as the program's own sentence in the user's
// language with the system's code after it: "the disk is full (system error
// 28)". The system's words would be in the system's language, or English.
#pragma once

#include <string>

#include "platform/file_io.h"

namespace harbrook {

std::string DescribeFileError(const platform::FileError& error);

}  // namespace harbrook
