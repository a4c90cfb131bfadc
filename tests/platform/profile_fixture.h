// An INI file in a sandbox, for the tests of the profile functions on every
// system and of our own writer's exact file off Windows.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/sandbox.h"

namespace harbrook::platform {

class ProfileTest : public ::testing::Test {
  protected:
    test::Sandbox sandbox;
    std::filesystem::path ini = sandbox.root() / "program_config.ini";
    void Write(const std::string& text) { std::ofstream(ini, std::ios::binary) << text; }
};

}  // namespace harbrook::platform
