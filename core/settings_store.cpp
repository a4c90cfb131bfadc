#include "core/settings_store.h"

#include "platform/registry.h"
#include "platform/text.h"
#include "platform/utf8.h"

namespace harbrook {

std::string PathToUtf8(const std::filesystem::path& path) {
    const std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

std::filesystem::path Utf8ToPath(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool CSettingsStore::GetPcId(std::string& id) const {
    id.clear();
    platform::RegistryKey key;
    if (!key.CreateKey(kPcIdKey)) return false;
    std::string stored;
    if (!key.Read("ID", stored)) {
        const auto low32 = static_cast<std::uint32_t>(m_clock.NowSeconds());
        stored = "Windows-" + std::to_string(low32);
        key.Write("ID", stored);  // a failed write still hands out the new identity
    }
    const std::string_view cut = platform::CutToUtf16Units(stored, kMaxPcIdChars);
    auto ansi = platform::Utf8ToAnsi(cut);
    if (!ansi) return false;
    id = std::move(*ansi);
    return true;
}

bool CSettingsStore::FindPhoneSection(std::string_view phoneId, std::string& keyPath) const {
    for (unsigned long i = 0;; ++i) {
        keyPath = std::string(kPhoneSectionPrefix) + std::to_string(i);
        platform::RegistryKey key;
        if (!key.Open(keyPath)) return false;
        std::string stored;
        if (!key.Read(kPhoneIdValue, stored)) return false;
        if (stored == phoneId) return true;
    }
}

bool CSettingsStore::SavePhoneValue(std::string_view phoneId, std::string_view valueName,
                                    std::string_view value) {
    const auto id = platform::AnsiToUtf8(phoneId);
    const auto text = platform::AnsiToUtf8(value);
    if (!id || !text) return false;
    if (platform::Utf16Units(*id) > kMaxPhoneTextUnits ||
        platform::Utf16Units(*text) > kMaxPhoneTextUnits)
        return false;
    std::string keyPath;
    FindPhoneSection(*id, keyPath);
    platform::RegistryKey key;
    if (!key.CreateKey(keyPath)) return false;
    key.Write(valueName, *text);
    return true;
}

std::vector<PhoneRecord> CSettingsStore::ReadPhoneRecords() const {
    std::vector<PhoneRecord> records;
    for (unsigned long i = 0;; ++i) {
        platform::RegistryKey key;
        if (!key.Open(std::string(kPhoneSectionPrefix) + std::to_string(i))) break;
        std::string id, name, address;
        if (!key.Read(kPhoneIdValue, id)) break;
        key.Read(kPhoneNameValue, name);
        key.Read(kPhoneAddressValue, address);
        auto ansiId = platform::Utf8ToAnsi(id);
        auto ansiName = platform::Utf8ToAnsi(name);
        if (!ansiId) continue;  // cannot be the identity of any phone that speaks to us
        records.push_back({std::move(*ansiId), ansiName.value_or(std::string()), address});
    }
    return records;
}

bool CSettingsStore::HasPairedPhone() const {
    platform::RegistryKey key;
    std::string id;
    return key.Open(std::string(kPhoneSectionPrefix) + "0") && key.Read(kPhoneIdValue, id);
}

bool CSettingsStore::ReadRootDirectory(std::filesystem::path& root) const {
    root.clear();
    platform::RegistryKey key;
    if (!key.CreateKey(kRootDirectoryKey)) return false;
    std::string stored;
    if (!key.Read("Directory", stored) || stored.empty()) return false;
    if (platform::Utf16Units(stored) > kMaxRootDirectoryUnits) return false;
    root = Utf8ToPath(stored);
    return true;
}

bool CSettingsStore::WriteRootDirectory(const std::filesystem::path& root, bool chosenByUser) {
    const std::string text = PathToUtf8(root);
    if (text.empty() || platform::Utf16Units(text) > kMaxRootDirectoryUnits) return false;
    platform::RegistryKey key;
    return key.CreateKey(kRootDirectoryKey) && key.Write("Directory", text) &&
           key.Write(kRootChosenValue, chosenByUser ? "1" : "0");
}

bool CSettingsStore::IsRootDirectoryChosenByUser() const {
    platform::RegistryKey key;
    std::string chosen;
    return key.Open(kRootDirectoryKey) && key.Read(kRootChosenValue, chosen) && chosen == "1";
}

}  // namespace harbrook
