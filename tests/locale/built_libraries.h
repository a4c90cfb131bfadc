// The language libraries this build made, found from the test's own folder
// (so that the path holds under wine too).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace harbrook::test {

std::filesystem::path BuiltLocalesFolder();

// Every library of the table and the simplified Chinese one, "german.dll" style.
const std::vector<std::string>& LibraryNames();

// The library whose text of that id is this one; empty when none is.
std::string LibraryWithText(unsigned id, std::string_view text);

}  // namespace harbrook::test
