// The whole download-and-run with a stand-in installer: a shell script that
// writes down the arguments it was started with.
#include "tests/update/update_fixture.h"
#include "update/update_checker.h"

namespace harbrook::test {
namespace {

const std::string kStandIn =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/installer-arguments.txt\"\n";

TEST_F(UpdateFixture, DownloadAndRunUpdateStartsTheInstallerWithItsCommand) {
    server.Serve("/dl/harbrook-setup.sh", kStandIn);
    const auto description = data / "update.ini";
    WriteText(description, Description{"2.0",
                                       {server.Url("/dl/harbrook-setup.sh")},
                                       std::to_string(kStandIn.size()),
                                       "",
                                       "/S \"/D=two words\""}
                               .Text());
    ASSERT_TRUE(DownloadAndRunUpdate(description));
    const auto arguments = data / "installer-arguments.txt";
    ASSERT_TRUE(WaitFor([&] { return !ReadFileBytes(arguments).empty(); }));
    EXPECT_EQ(ReadFileBytes(arguments), "/S\n/D=two words\n");
    EXPECT_EQ(ReadFileBytes(data / "harbrook-setup.sh"), kStandIn);

    // Not good (the size is off): nothing is started.
    std::filesystem::remove(arguments);
    WriteText(description, Description{"2.0", {server.Url("/dl/harbrook-setup.sh")}, "1"}.Text());
    EXPECT_FALSE(DownloadAndRunUpdate(description));
    EXPECT_FALSE(DownloadAndRunUpdate(""));
}

}  // namespace
}  // namespace harbrook::test
