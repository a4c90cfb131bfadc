// One backup, from the PC's "sufficient" to its end: the file offers, the
// chunk pulls, the verdicts and the retry allowance. The receiver thread owns
// the socket and hands it here for the length of one backup.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <zmq.hpp>

#include "backup/storage_layout.h"
#include "backup/stored_contents.h"
#include "backup/target_file.h"
#include "core/sha256.h"
#include "link/link_context.h"
#include "platform/file_io.h"

namespace harbrook {

class BackupSession {
  public:
    // Completed: the phone sent "backingEnd"; Failed: a broken or missing
    // message, or a file we could not store; Disconnected: the connection
    // monitor cleared the connected flag.
    using Outcome = BackupOutcome;

    // `peer` is the address the phone's first message came from: every later
    // frame must come from there too.
    BackupSession(LinkContext& link, const StorageLayout& storage, zmq::socket_t& socket,
                  std::string identity, std::string peer, std::int64_t total);

    // Runs the file loop. A stop of the link throws zmq::error_t (ETERM)
    // through here; a file not yet whole is gone with it.
    Outcome Run();

    std::int64_t FilesStored() const { return m_filesStored; }  // complete ones
    std::int64_t BytesReceived() const { return m_receivedInBackup; }
    // Complete files whose content the phone's folder held already.
    std::int64_t FilesAlreadyStored() const { return m_alreadyStored; }
    // Why a Failed backup failed, for people: a full disk, a name that cannot
    // be stored, a phone that stopped answering. Empty otherwise.
    const std::string& FailureReason() const { return m_failure; }

  private:
    struct Offer {
        std::string name, category, state;
        std::int64_t size = 0;
    };
    enum class Pull { Done, Failed, Disconnected, WriteFailed, OverLimit };

    std::optional<Offer> ReceiveOffer();
    bool ReceiveIdentity();
    Pull PullFile(IncomingFile& file, std::int64_t announced);
    bool Reply(std::string_view word);
    Outcome LostPeer() const;
    Pull Failing(std::string why);
    // A file is done: stored (or found stored already) at `storedAs`.
    void Report(const std::string& name, std::int64_t size, bool complete,
                const std::filesystem::path& storedAs);
    // Bytes of the file being pulled, so that a large file shows progress too.
    void ReportChunk();
    void PrepareSpare(const std::filesystem::path& folder);
    void DropRejected();
    // A complete file whose content is stored already: no new copy, its name
    // where it is, else a second link to the stored file. False when the file
    // is to be named as it came.
    bool TakeStoredContent(std::filesystem::path& target, const Sha256Digest& digest);

    LinkContext& m_link;
    const StorageLayout& m_storage;
    zmq::socket_t& m_socket;
    // The frame last received by the chunk loop. A chunk is written from the
    // library's own memory, where the bytes landed from the socket.
    zmq::message_t m_frame;
    std::string m_identity;  // of the phone being served; every reply starts with it
    std::string m_peer;      // its address, as the connection showed it
    // The next file, made ahead without a name; see PrepareSpare.
    platform::File m_spare;
    bool m_sparesWork = true;

    // Backup state: the retry allowance is per backup, not per file.
    int m_allowance = 2;
    std::string m_previousName;
    std::int64_t m_previousSize = 0;
    std::filesystem::path m_previousPath;  // empty while it has no name
    std::int64_t m_previousStored = 0;     // its bytes on disk
    // A short or long file the phone was asked to send again: never named,
    // it goes at the next offer or at the end.
    IncomingFile m_rejected;
    std::int64_t m_rejectedBytes = 0;
    std::filesystem::path m_target;  // where the current file is to be stored
    std::int64_t m_written = 0;      // to the current file
    std::int64_t m_total = 0;
    // What this backup has on disk now, and how much it may have: what the
    // phone announced and one chunk more.
    std::int64_t m_stored = 0;
    std::int64_t m_storeLimit = 0;
    std::int64_t m_receivedInBackup = 0;
    std::int64_t m_filesDone = 0;
    std::int64_t m_filesStored = 0;
    std::string m_failure;
    // The digest of the current file, fed as it goes to the disk, and what
    // the phone's folder holds by content.
    bool m_digests = true;
    Sha256 m_hash;
    StoredContents m_contents;
    std::string m_stamp;  // this backup in the manifest
    std::int64_t m_alreadyStored = 0;
};

}  // namespace harbrook
