#include "app/update_check.h"

#include "update/update_checker.h"

namespace harbrook {

void UpdateCheckThread(const UpdateCheckJob& job, Frontend& ui, StopSignal& stop) {
    if (!stop.SleepFor(job.delay)) return;
    const auto cancelled = [&stop] { return stop.StopRequested(); };
    std::filesystem::path serverFile;
    if (CheckForNewVersion(job.programFolder / kInstalledDescriptionFile, job.dataFolder,
                           serverFile, cancelled) != kNewVersionOffered) {
        return;
    }
    if (stop.StopRequested() || !ui.AskOkCancel(job.question)) return;
    DownloadAndRunUpdate(serverFile, cancelled);  // its outcome is not shown
}

}  // namespace harbrook
