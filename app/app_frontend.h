// What the application adds to the core's Frontend for the front ends it
// drives (the window and the console): opening the main window, progress
// with rate and time left, and the finished backup's history record.
#pragma once

#include "app/backup_history.h"
#include "app/progress_meter.h"
#include "core/frontend.h"

namespace harbrook {

struct VerifySummary;  // app/backup_verify.h

class AppFrontend : public Frontend {
  public:
    // A later start of the program asked for the main window: the window
    // front end restores and raises it; the console prints the pairing code
    // and the current state again.
    virtual void OnOpenMainWindow() {}

    // The backup reminder is due at this start: the window front end shows
    // its pop-up (even while the main window stays hidden), the console a
    // line. Called once at most, during start-up.
    virtual void ShowBackupReminder() {}

    // A running backup's progress, at most a few times a second and once
    // more at its end.
    virtual void OnProgressReading(const ProgressReading& /*reading*/) {}

    // A running send's progress, as for a backup; OnSendEnded ends it.
    virtual void OnSendProgressReading(const ProgressReading& /*reading*/) {}

    // A send the file manager started has ended (no terminal waits for it):
    // the window says it in a notice of the notification area, the console
    // prints it.
    virtual void NotifySendOutcome(const std::string& text, bool /*failed*/) { ShowMessage(text); }
    // A send the file manager started found no phone: the window opens on
    // Connect Phone and says to connect the phone and send again.
    virtual void AskToConnectPhone(const std::string& text) { ShowMessage(text); }

    // A backup ended; the record is already in the history file.
    virtual void OnBackupRecorded(const BackupRecord& /*record*/) {}

    // A check of the stored backups that the user started has ended; its
    // records are already in the history file.
    virtual void OnBackupsChecked(const VerifySummary& /*summary*/) {}

    // The user interface is going away: a question still waiting for its
    // answer, and any asked later, is answered with Cancel, and nothing is
    // shown any more. Start-up calls it on the UI thread once the front
    // end's loop has ended and before the application stops, so that no
    // worker the stop waits for is left waiting for a person.
    virtual void Close() {}
};

}  // namespace harbrook
