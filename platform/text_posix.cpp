#include "platform/text.h"
#include "platform/utf8.h"

namespace harbrook::platform {

// The POSIX "ANSI code page" is UTF-8: conversion is a validity check.
std::optional<std::string> AnsiToUtf8(std::string_view ansi) {
    if (!IsValidUtf8(ansi)) return std::nullopt;
    return std::string(ansi);
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
    if (!IsValidUtf8(utf8)) return std::nullopt;
    return std::string(utf8);
}

std::vector<std::string> CommandLineUtf8(int argc, const char* const* argv) {
    return std::vector<std::string>(argv, argv + argc);
}

std::size_t FileNameLength(std::string_view utf8) {
    return utf8.size();
}

}  // namespace harbrook::platform
