// The PC identity, the backup root and the records of paired phones, kept in
// the per-user registry. A small value object: every call opens the registry
// afresh and holds nothing between calls, so any thread may make one.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"

namespace harbrook {

// One paired phone as its record holds it; texts in the system code page, as
// the phone sent them.
struct PhoneRecord {
    std::string id, name;
    std::string address;  // where its pairing came from; empty in a record made before
};

class CSettingsStore {
  public:
    // Longest PC identity handed out (a caller's 100-character buffer).
    static constexpr std::size_t kMaxPcIdChars = 99;
    // Longest phone text stored, in UTF-16 code units (200 with the terminator).
    static constexpr std::size_t kMaxPhoneTextUnits = 199;
    // Longest stored backup root, in UTF-16 code units. Users choose their own
    // folder here, so this is the Windows MAX_PATH rather than a drive root's 29.
    static constexpr std::size_t kMaxRootDirectoryUnits = 259;

    explicit CSettingsStore(const Clock& clock = SystemClock()) : m_clock(clock) {}

    // The PC identity in the system code page, made on first use as
    // "Windows-%lu" of the current time's low 32 bits. An over-long stored
    // identity is cut to kMaxPcIdChars. False when the key cannot be opened
    // or the identity cannot be converted (id is then empty).
    bool GetPcId(std::string& id) const;

    // Walks PhoneSection0, 1, ... and stops at the first section that is
    // missing or has no readable "PhoneID" (false; keyPath names that free
    // section) or whose "PhoneID" equals phoneId exactly (true).
    bool FindPhoneSection(std::string_view phoneId, std::string& keyPath) const;

    // Stores one value of the phone's record (texts as sent, system code page).
    // False, writing nothing, when a text cannot be converted or needs more than
    // kMaxPhoneTextUnits; false when the section cannot be opened or created.
    bool SavePhoneValue(std::string_view phoneId, std::string_view valueName,
                        std::string_view value);

    // Every phone record, in section order (up to the first gap).
    std::vector<PhoneRecord> ReadPhoneRecords() const;
    // True once any phone has paired with this PC.
    bool HasPairedPhone() const;

    // The stored backup root. False when there is none, or it is too long.
    bool ReadRootDirectory(std::filesystem::path& root) const;
    // `chosenByUser` marks a root the user named: it is kept whatever a
    // phone announces, where a root the program chose may give way to a
    // roomier drive.
    bool WriteRootDirectory(const std::filesystem::path& root, bool chosenByUser = false);
    bool IsRootDirectoryChosenByUser() const;

    // Registry names.
    static constexpr std::string_view kPhoneNameValue = "PhoneName";
    static constexpr std::string_view kPhoneIdValue = "PhoneID";
    // The address the phone's pairing came from: the only one it is trusted at.
    static constexpr std::string_view kPhoneAddressValue = "PhoneAddress";
    static constexpr std::string_view kPcIdKey = "Software\\Harbrook\\PC ID";
    static constexpr std::string_view kRootDirectoryKey = "Software\\Harbrook\\Root Directory";
    static constexpr std::string_view kRootChosenValue = "ChosenByUser";
    static constexpr std::string_view kPhoneSectionPrefix =
        "Software\\Harbrook\\Phone Information\\PhoneSection";

  private:
    const Clock& m_clock;
};

// Paths as UTF-8 text and back, the same on every platform.
std::string PathToUtf8(const std::filesystem::path& path);
std::filesystem::path Utf8ToPath(std::string_view utf8);

}  // namespace harbrook
