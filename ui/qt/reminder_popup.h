// The backup reminder: a small window of its own at the right-hand end of
// the panel, shown at most once a start and even while the main window is
// still hidden. Its button asks for the main window and closes it; each click
// on its check box switches the reminder off or on again for later starts.
// Enter (away from the button), Esc and the close box close it.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <filesystem>

#include "update/backup_reminder.h"

namespace harbrook::qt {

class ReminderPopup final : public QDialog {
    Q_OBJECT
  public:
    // The "Do not show again." choice is written to the data folder's settings.
    explicit ReminderPopup(const std::filesystem::path& dataFolder);

    // Shows it at its place on its screen, in front of the other windows.
    void ShowNow();
    // Moves it to its place beside the panel of its screen.
    void Place();

    // Where a window of the given outer size stands on a screen with this
    // whole area and this available (panel-free) area.
    static QPoint PlaceOnScreen(const QRect& screen, const QRect& available, QSize frame);

    QLabel* Headline() const { return m_headline; }
    QLabel* Detail() const { return m_detail; }
    QPushButton* BackupButton() const { return m_backup; }
    QCheckBox* NoShowBox() const { return m_noShow; }

  signals:
    void openMainWindowRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    BackupReminder m_reminder;
    QLabel* m_headline;
    QLabel* m_detail;
    QPushButton* m_backup;
    QCheckBox* m_noShow;
};

}  // namespace harbrook::qt
