// The update check as the application runs it: a worker that waits two
// minutes after start-up, looks for a newer version, asks the user once and,
// on OK, downloads and starts the installer. Silent in every other case but
// one: an installer refused for its signature is reported.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

#include "core/frontend.h"
#include "link/stop_signal.h"

namespace harbrook {

struct UpdateCheckJob {
    std::filesystem::path programFolder;  // holds the installed "harbrook.ini"
    std::filesystem::path dataFolder;     // receives the downloads
    std::chrono::milliseconds delay{120000};
    std::string question;         // read on the user-interface thread before the worker starts
    std::string unsignedMessage;  // the same: an update refused for its signature
    std::string publicKey{};      // empty: the release key (tests sign with their own)
};

// The worker's whole run. A stop ends the wait and abandons a download; the
// question is asked with no lock held and answered as a value. Stop joins this
// worker, so a front end that quits while the question is open must answer
// it (Cancel) first.
void UpdateCheckThread(const UpdateCheckJob& job, Frontend& ui, StopSignal& stop);

}  // namespace harbrook
