// Read access to the update checker's INI files: the installed description
// beside the program and the description file downloaded from the server.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace harbrook {

class CUpdateIni {
  public:
    // Keeps the path only when it names an existing file (not a folder);
    // otherwise every read fails.
    explicit CUpdateIni(const std::filesystem::path& file);

    // "VersionInfo"/"CurrentVersion"; "0.0.0.0" and false when absent.
    bool GetCurrentVersion(std::string& version) const;
    // The numbered addresses "ServerFile0", "ServerFile1", ... of section
    // "ServerFiles", appended in order up to the first absent one; true when
    // at least one was found.
    bool GetServerFiles(std::vector<std::string>& addresses) const;
    // The same for "Download0", "Download1", ... of section "PatchLink".
    bool GetPatchLinks(std::vector<std::string>& addresses) const;
    // One value; empty and false when absent.
    bool GetString(std::string_view section, std::string_view key, std::string& value) const;

  private:
    bool GetList(std::string_view section, std::string_view prefix,
                 std::vector<std::string>& addresses) const;

    std::filesystem::path m_path;
};

}  // namespace harbrook
