#include "ui/win32/file_dialog.h"

namespace harbrook::win32 {

std::vector<std::wstring> SplitOpenFileNames(std::wstring_view buffer) {
    std::vector<std::wstring_view> parts;
    std::size_t start = 0;
    while (start < buffer.size()) {
        const std::size_t end = buffer.find(L'\0', start);
        if (end == std::wstring_view::npos) return {};  // cut off: no terminator
        if (end == start) break;                        // the closing second NUL
        parts.push_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    if (start >= buffer.size() && !parts.empty()) return {};  // no closing NUL
    if (parts.size() == 1) return {std::wstring(parts.front())};
    std::vector<std::wstring> paths;
    if (parts.empty()) return paths;
    std::wstring folder(parts.front());
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    for (std::size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + std::wstring(parts[i]));
    return paths;
}

}  // namespace harbrook::win32
