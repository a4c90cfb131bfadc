#include "update/update_ini.h"

#include "platform/profile.h"

namespace harbrook {
namespace {

constexpr std::size_t kValueCapacity = 512;
// Every numbered key costs a read of the whole file: a downloaded file with
// thousands of them is cut here.
constexpr int kMaxListEntries = 100;
constexpr std::string_view kAbsent = "none";

}  // namespace

CUpdateIni::CUpdateIni(const std::filesystem::path& file) {
    std::error_code ec;
    if (!file.empty() && std::filesystem::exists(file, ec) &&
        !std::filesystem::is_directory(file, ec)) {
        m_path = file;
    }
}

bool CUpdateIni::GetString(std::string_view section, std::string_view key,
                           std::string& value) const {
    value.clear();
    if (m_path.empty() || section.empty() || key.empty()) return false;
    std::string read = platform::ReadProfileString(m_path, section, key, kAbsent, kValueCapacity);
    if (read == kAbsent) return false;
    value = std::move(read);
    return true;
}

bool CUpdateIni::GetCurrentVersion(std::string& version) const {
    if (GetString("VersionInfo", "CurrentVersion", version)) return true;
    version = "0.0.0.0";
    return false;
}

bool CUpdateIni::GetList(std::string_view section, std::string_view prefix,
                         std::vector<std::string>& addresses) const {
    if (m_path.empty()) return false;
    bool any = false;
    for (int index = 0; index < kMaxListEntries; ++index) {
        std::string value;
        if (!GetString(section, std::string(prefix) + std::to_string(index), value)) break;
        addresses.push_back(std::move(value));  // an empty value stays and fails later
        any = true;
    }
    return any;
}

bool CUpdateIni::GetServerFiles(std::vector<std::string>& addresses) const {
    return GetList("ServerFiles", "ServerFile", addresses);
}

bool CUpdateIni::GetPatchLinks(std::vector<std::string>& addresses) const {
    return GetList("PatchLink", "Download", addresses);
}

}  // namespace harbrook
