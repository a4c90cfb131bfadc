// Downloads one web address into a local file. Windows: WinINet. POSIX:
// libcurl. Redirects are followed; the body is written whatever the HTTP
// status (a server's error page arrives like any other file), http and https
// only; the system's proxy settings apply. An https server's certificate must
// be one the system trusts, for the name in the address; otherwise nothing is
// downloaded (NotOpened).
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace harbrook::platform {

struct HttpOptions {
    // 0: the system's default connect time-out.
    std::chrono::milliseconds connectTimeout{0};
    // Ask the server to keep the connection open (HTTP keep-alive).
    bool keepConnection = false;
    // Polled during the transfer (libcurl: about once a second, also while
    // connecting; WinINet: between reads); true abandons it as Broken.
    std::function<bool()> cancelled;
};

enum class HttpOutcome {
    NotOpened,    // the address could not be opened; no local file was touched
    NoLocalFile,  // opened, but the local file could not be created
    Broken,       // the transfer or the write failed part-way
    Copied,       // the whole body is in the local file
};

// The local file is created (truncating an older one) only once the address
// answers. `agent` names the program to the server.
HttpOutcome DownloadToFile(const std::string& address, const std::filesystem::path& file,
                           const std::string& agent, const HttpOptions& options = {});

}  // namespace harbrook::platform
