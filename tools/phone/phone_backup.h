// The phone's side of a backup, as the phone app holds it: it walks its
// folders, picks a category for every file, announces the total, offers the
// files one by one and answers the PC's "fetch" with chunks read from disk.
// It shares only the wire conventions with the PC, none of its logic, so that
// it notices when the PC breaks the conversation.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>
#include <zmq.hpp>

namespace harbrook::phone {

inline constexpr std::size_t kPhoneChunkSize = 300000;

struct BackupFile {
    std::filesystem::path source;  // empty for generated content
    std::string name;              // what the PC is told: the file name without folders
    std::string category;          // a wire word
    std::int64_t size = 0;
    std::uint32_t seed = 0;  // generated content: which bytes (every file a little different)
};

// The phone's own rule: camera folders, then the Tencent apps' folders, then
// pictures and videos, audio, and documents for everything else.
std::string PickCategory(const std::filesystem::path& file);

// Every regular file under the given files and folders, in path order. Empty
// files are left out unless asked for (the PC refuses a size of 0).
std::vector<BackupFile> CollectBackupFiles(const std::vector<std::filesystem::path>& roots,
                                           bool includeEmpty = false);

// `count` files of `size` bytes whose content is made in memory as it is
// sent, so that a benchmark measures the PC and not the phone's disk: named
// IMG_000000.jpg and up, with the category the phone gives them (a camera
// folder's, or `folder`'s when given).
std::vector<BackupFile> GenerateBackupFiles(int count, std::int64_t size,
                                            const std::filesystem::path& folder = "DCIM/Camera");

// The bytes of a generated file from `offset` on (at most kPhoneChunkSize).
// They point into one pattern shared by all files, without copying, except
// in a file's first chunk: that one is copied into `scratch` with the file's
// number in its first four bytes, so that no two generated files hold the
// same content (a PC that finds stored content again must not find it here).
std::span<const char> GeneratedChunk(const BackupFile& file, std::int64_t offset,
                                     std::vector<char>& scratch);

// True for an address-and-port text on 127.0.0.0/8: the stand-in talks to
// this machine only.
bool IsLoopbackEndpoint(std::string_view addressAndPort);

// One backup conversation, message by message. Tests use it to say what no
// well-behaved phone would say.
class BackupLink {
  public:
    // `source`, when given, is the loopback address the connection leaves
    // from (a stranger beside the phone on 127.0.0.1, say).
    BackupLink(std::string_view addressAndPort, std::string_view identity,
               std::chrono::milliseconds replyTimeout, std::string_view source = {});
    bool SendTotal(std::string_view total);
    // Name, size, category and state as one message of four frames.
    bool SendOffer(std::string_view name, std::string_view size, std::string_view category,
                   std::string_view state);
    bool SendChunk(std::span<const char> bytes);
    bool SendFrames(const std::vector<std::string>& frames);
    // The PC's next word; nothing on time-out.
    std::optional<std::string> ReceiveWord();

  private:
    zmq::context_t m_context;
    zmq::socket_t m_socket;
};

struct BackupOptions {
    std::string pcEndpoint;  // address:port of the PC's backup receiver
    std::string identity = "harbrook-phone";
    std::string sourceAddress;  // the local address to connect from; the system's choice when empty
    std::chrono::milliseconds replyTimeout{15000};
    int maxResends = 5;                 // per file, against a PC that never accepts
    std::chrono::milliseconds pace{0};  // pause before each chunk, like a slow network
    // Ways to misbehave, for tests.
    std::optional<std::string> announcedTotal;  // instead of the true sum
    int shortDeliveries = 0;                    // this many deliveries leave out their last byte
    std::int64_t sizeDelta = 0;                 // added to every announced file size
    int vanishAfterChunks = -1;                 // go silent after sending this many chunks
    std::optional<std::string> category;        // instead of the phone's own choice
};

struct BackupReport {
    std::string totalReply;  // the PC's answer to the total
    int filesAccepted = 0;   // "fileEnd" received
    int fileErrors = 0;      // "fileError" received
    int chunksSent = 0;
    bool ended = false;  // "backingEnd" sent after every file
    bool vanished = false;
    std::string problem;  // what went wrong, empty when nothing did
};

// Runs one backup; every word of the PC is written to `log` when given.
BackupReport RunPhoneBackup(const BackupOptions& options, const std::vector<BackupFile>& files,
                            std::ostream* log = nullptr);

}  // namespace harbrook::phone
