// The terminal the program writes to.
#pragma once

#include <cstdio>

namespace harbrook::platform {

// Makes the console show what is written to it as UTF-8 (the QR code's block
// characters, names in any script). Nothing to do where that is the rule.
void UseUtf8Console();

// True when the stream writes to a terminal (not a file or a pipe).
bool IsTerminal(std::FILE* stream);

}  // namespace harbrook::platform
