// What the multi-select file-open dialog hands back, as full paths.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace harbrook::win32 {

// The dialog's buffer: either one full path, or the folder followed by the
// chosen names, each ended by a NUL, the whole ended by a second NUL. Paths
// in the dialog's order; nothing for an empty or unterminated buffer.
std::vector<std::wstring> SplitOpenFileNames(std::wstring_view buffer);

}  // namespace harbrook::win32
