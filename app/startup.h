// Everything between main() and a front end's own loop: the command line,
// the single instance, the sockets layer, the application object and its
// orderly end. Each executable adds only its front end.
#pragma once

#include <functional>
#include <memory>

#include "app/app_frontend.h"
#include "app/application.h"
#include "app/options.h"

namespace harbrook {

// A front end as start-up drives it.
class FrontEndHost {
  public:
    virtual ~FrontEndHost() = default;
    virtual AppFrontend& Ui() = 0;
    // Runs after the link workers have started, until the user quits.
    virtual void Run(Application& app) = 0;
};

using HostFactory = std::function<std::unique_ptr<FrontEndHost>(const Options&)>;

// The whole program; returns the exit status. Quit requests (Ctrl-C,
// SIGTERM) must already be blocked in the calling thread
// (platform::BlockQuitRequests) so that every thread inherits that.
int RunHarbrook(int argc, const char* const* argv, const HostFactory& makeHost);

// Why a folder cannot be the backup root, as one line naming it in the
// current language, or empty when it can.
std::string BackupRootProblem(const std::filesystem::path& root);

}  // namespace harbrook
