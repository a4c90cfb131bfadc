// Wide-string helpers used only inside the Win32 implementations.
#pragma once

#include <string>
#include <string_view>

namespace harbrook::platform::win32 {

std::wstring Widen(std::string_view utf8);   // UTF-8 to UTF-16 (invalid bytes become U+FFFD)
std::string Narrow(std::wstring_view wide);  // UTF-16 to UTF-8

}  // namespace harbrook::platform::win32
