#include "app/update_check.h"

#include "update/update_checker.h"

namespace harbrook {

void UpdateCheckThread(const UpdateCheckJob& job, Frontend& ui, StopSignal& stop) {
    if (!stop.SleepFor(job.delay)) return;
    const std::function<bool()> cancelled = [&stop] { return stop.StopRequested(); };
    std::filesystem::path serverFile;
    if (CheckForNewVersion(job.programFolder / kInstalledDescriptionFile, job.dataFolder,
                           serverFile, cancelled) != kNewVersionOffered) {
        return;
    }
    if (stop.StopRequested() || !ui.AskOkCancel(job.question)) return;
    // Its outcome is not shown, but for an installer that is not signed with
    // our key: the user agreed to an update and must know why none came.
    if (DownloadAndRunUpdate(serverFile, {cancelled, job.publicKey}) == UpdateRun::Unsigned &&
        !stop.StopRequested()) {
        ui.ShowMessage(job.unsignedMessage);
    }
}

}  // namespace harbrook
