// The terminal the program writes to.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

namespace harbrook::platform {

// Windows: harbrook.exe belongs to the window subsystem, so a start from
// Explorer, the Start menu or at sign-in never opens a console. Started from
// a console, it writes to that console instead; standard handles the parent
// redirected to a file or a pipe stay as they are. Call it first thing.
// Elsewhere nothing to do.
void AttachParentConsole();

// A failure that ends the start, as one line in the user's language: on
// stderr ("harbrook: " before it) when there is anywhere to write; with
// nowhere (Windows, no console and nothing redirected) in a message box with
// an OK button, which the user closes before the program ends.
// linePrefix goes before the text on stderr (locale's ProgramLinePrefix).
void ReportStartupFailure(const std::string& text, const std::string& linePrefix = "harbrook: ");

// Makes the console show what is written to it as UTF-8 (the QR code's block
// characters, names in any script). Nothing to do where that is the rule.
void UseUtf8Console();

// True when the stream writes to a terminal (not a file or a pipe).
bool IsTerminal(std::FILE* stream);

// The width in columns of the terminal the stream writes to; nothing when it
// is not a terminal or does not say.
std::optional<std::size_t> TerminalColumns(std::FILE* stream);

}  // namespace harbrook::platform
