#include "tests/update/update_fixture.h"

#include <fstream>

namespace harbrook::test {

std::int64_t UtcMidnight(int year, int month, int day) {
    // Days from the civil date (proleptic Gregorian calendar).
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yoe = year - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return (era * 146097 + doe - 719468) * 86400;
}

void WriteText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

std::string Description::Text() const {
    std::string text = "[VersionInfo]\r\n";
    if (!version.empty()) text += "CurrentVersion=" + version + "\r\n";
    text += "[PatchLink]\r\n";
    for (std::size_t i = 0; i < downloads.size(); ++i) {
        text += "Download" + std::to_string(i) + "=" + downloads[i] + "\r\n";
    }
    text += "[PatchSize]\r\n";
    if (!size.empty()) text += "Size=" + size + "\r\n";
    if (!sha256.empty()) text += "Sha256=" + sha256 + "\r\n";
    if (!command.empty()) text += "[PatchCommand]\r\nCommand=" + command + "\r\n";
    return text;
}

UpdateFixture::UpdateFixture() {
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(data);
}

void UpdateFixture::WriteInstalled(const std::string& version,
                                   const std::vector<std::string>& servers) {
    std::string text = "[VersionInfo]\r\nCurrentVersion=" + version + "\r\n[ServerFiles]\r\n";
    for (std::size_t i = 0; i < servers.size(); ++i) {
        if (!servers[i].empty())
            text += "ServerFile" + std::to_string(i) + "=" + servers[i] + "\r\n";
    }
    WriteText(Installed(), text);
}

std::string UpdateFixture::SignatureOf(const std::string& body, const sign::KeyFiles* with) {
    const std::filesystem::path file = sandbox.root() / "to-sign.bin";
    WriteText(file, body);
    const auto signature =
        sign::SignFile(file, (with ? with : &keys)->secretKey, "timestamp:0\tfile:setup.exe");
    std::filesystem::remove(file);
    EXPECT_TRUE(signature);
    return signature.value_or("");
}

void UpdateFixture::ServeSigned(const std::string& path, const std::string& body) {
    server.Serve(path, body);
    server.Serve(path + ".minisig", SignatureOf(body));
}

}  // namespace harbrook::test
