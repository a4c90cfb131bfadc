// The banner across the top of the main window: the blue background, the
// connection picture, the status text in white and, while a backup runs,
// its progress line and a thin progress bar.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include "app/window_model.h"

namespace harbrook::qt {

class Banner final : public QWidget {
    Q_OBJECT
  public:
    explicit Banner(QWidget* parent = nullptr);
    void Render(const BannerView& view);

    QString Text() const { return m_text->text(); }
    QString ProgressLine() const { return m_progress->text(); }
    BannerPicture Picture() const { return m_picture; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

  private:
    QLabel* m_statusPicture;
    QLabel* m_text;
    QLabel* m_progress;
    QProgressBar* m_bar;
    BannerPicture m_picture = BannerPicture::NotConnected;
    QPixmap m_background;
};

}  // namespace harbrook::qt
