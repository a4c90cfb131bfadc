// A control that shows a picture file at the picture's own size: a still
// picture, or an animated GIF played frame by frame. Decoding is Qt's image
// readers' work; this only keeps the frames and their delays.
#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace harbrook::qt {

class PictureView final : public QWidget {
    Q_OBJECT
  public:
    explicit PictureView(QWidget* parent = nullptr);

    // Loads the file, replacing what was loaded. False for a missing or
    // empty file, data no reader takes, or a GIF without an image.
    bool LoadFile(const QString& path);
    // Shows what was loaded. True when a still picture is on show; an
    // animation starts playing and returns false, as nothing was loaded does.
    bool Draw();
    void StopAnimation();
    void Unload();

    struct Frame {
        QImage image;
        int delayMs = 0;
    };
    const std::vector<Frame>& Frames() const { return m_frames; }
    int CurrentFrame() const { return m_current; }
    bool IsPlaying() const { return m_timer.isActive(); }

    // A frame shown for less than 5 hundredths of a second stays 100 ms, as
    // browsers do; so does a frame without a delay of its own.
    static int FrameDelayMs(int readerDelayMs);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    void ShowNextFrame();

    std::vector<Frame> m_frames;
    int m_current = 0;
    bool m_drawn = false;
    QTimer m_timer;
};

}  // namespace harbrook::qt
