// The file an offer is received into. Nobody sees it under a name until it
// is whole: it is made without a name (or, where the system cannot do that,
// under a hidden temporary name in the same folder) and takes the name it is
// stored under only when the phone's bytes are all there. A file cut off by
// a time-out, a disconnect, a quit or a crash leaves nothing under a name.
#pragma once

#include <filesystem>
#include <optional>
#include <span>

#include "platform/file_io.h"

namespace harbrook {

class StorageLayout;

// The name a file for `path` would be stored under now: the path itself when
// nothing is there, else numbered "(1)" ... "(199)" before the last dot of
// the file name while the name is taken; when all of those are taken too,
// "(199)" is replaced. Nothing when the name has no dot or no room for a
// number. `usable` is false when the name cannot become a file (a folder, a
// path that cannot be looked at, a link under the last number).
struct FreeName {
    std::filesystem::path path;
    bool replaces = false;
    bool usable = true;
};
std::optional<FreeName> ChooseFreeName(const std::filesystem::path& path);

class IncomingFile {
  public:
    IncomingFile() = default;
    ~IncomingFile() { Close(); }
    IncomingFile(IncomingFile&& other) noexcept;
    IncomingFile& operator=(IncomingFile&& other) noexcept;
    IncomingFile(const IncomingFile&) = delete;
    IncomingFile& operator=(const IncomingFile&) = delete;

    // A file to be stored at `path` once whole. An unnamed `spare`
    // (platform::File::CreateUnnamed), when given, becomes the file and is
    // taken; without one an unnamed file is made when `unnamed` allows, else
    // a hidden temporary one. Closed when ChooseFreeName finds no usable
    // name, or when the system refuses to make the file (the temporary name
    // carries the file's own name, so a name the system refuses is refused
    // here, before a byte is asked for).
    static IncomingFile Create(const std::filesystem::path& path, platform::File* spare = nullptr,
                               bool unnamed = true);

    explicit operator bool() const { return m_file.IsOpen(); }
    bool IsUnnamed() const { return m_file.IsOpen() && m_temporary.empty() && !m_named; }

    bool WriteAll(std::span<const char> bytes) { return m_file.WriteAll(bytes); }

    // Gives the file its name: `path` when nothing is there, else the free
    // name (ChooseFreeName) at this moment, never over anything but the last
    // numbered file. On success `path` holds the name taken. A file with a
    // temporary name is closed on the way.
    bool Name(std::filesystem::path& path);

    // Closes the file. One that never got its name goes with it: nothing of
    // it is left under any name.
    void Close();

  private:
    platform::File m_file;
    std::filesystem::path m_temporary;  // the hidden name, while it has one
    bool m_named = false;
};

// Removes the hidden temporary files that a backup cut off by a crash left in
// the phone's category folders.
void RemoveLeftoverPartials(const StorageLayout& storage);

}  // namespace harbrook
