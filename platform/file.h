// Whole-file streams for transfers: a file created for a backup and a file
// read for a send, read and written straight through without buffering.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace harbrook::platform {

class OutputFile {
  public:
    OutputFile();
    ~OutputFile();
    OutputFile(OutputFile&&) noexcept;
    OutputFile& operator=(OutputFile&&) noexcept;

    // Creates the file, or truncates an existing one; never follows a
    // symbolic link and never opens a folder. False on failure.
    bool Create(const std::filesystem::path& path);
    // Writes all bytes. False when not all could be written (a full disk).
    bool Write(const char* data, std::size_t size);
    void Close();
    bool IsOpen() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class InputFile {
  public:
    InputFile();
    ~InputFile();
    InputFile(InputFile&&) noexcept;
    InputFile& operator=(InputFile&&) noexcept;

    // Opens an existing file for reading; others may read and write it meanwhile.
    bool Open(const std::filesystem::path& path);
    std::optional<std::uint64_t> Size() const;
    // Reads up to size bytes; 0 at the end of the file; nothing on error.
    std::optional<std::size_t> Read(char* data, std::size_t size);
    void Close();

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace harbrook::platform
