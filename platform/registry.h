// Per-user registry key: the four operations the settings store relies on.
// Windows: HKEY_CURRENT_USER. POSIX: one file-backed hive under
// $XDG_CONFIG_HOME/harbrook (see registry_posix.cpp). Key paths use
// backslashes ("Software\\Harbrook\\PC ID"); names and values are UTF-8.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace harbrook::platform {

class RegistryKey {
  public:
    RegistryKey();
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens the key, creating every missing level. False on failure.
    bool CreateKey(std::string_view path);
    // Opens an existing key only. False when it does not exist.
    bool Open(std::string_view path);
    // Reads a text value of the open key. False when there is no open key or
    // no such value.
    bool Read(std::string_view name, std::string& value) const;
    // Writes a text value of the open key. False on failure.
    bool Write(std::string_view name, std::string_view value);
    // Closes the key (also done by the destructor).
    void Close();

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace harbrook::platform
