#include "ui/qt/picture_view.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace harbrook::qt {

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PictureView::ShowNextFrame);
}

int PictureView::FrameDelayMs(int readerDelayMs) {
    return readerDelayMs / 10 < 5 ? 100 : readerDelayMs;
}

bool PictureView::LoadFile(const QString& path) {
    Unload();
    if (QFileInfo(path).size() <= 0) return false;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    for (QImage image = reader.read(); !image.isNull(); image = reader.read()) {
        m_frames.push_back({image, FrameDelayMs(reader.nextImageDelay())});
        if (!reader.supportsAnimation()) break;
    }
    if (m_frames.empty()) return false;
    setFixedSize(m_frames.front().image.size() / m_frames.front().image.devicePixelRatio());
    return true;
}

bool PictureView::Draw() {
    if (m_frames.empty()) return false;
    m_drawn = true;
    m_current = 0;
    update();
    if (m_frames.size() > 1) {
        m_timer.start(m_frames.front().delayMs);
        return false;
    }
    return true;
}

void PictureView::ShowNextFrame() {
    if (m_frames.size() < 2) return;
    m_current = (m_current + 1) % static_cast<int>(m_frames.size());
    update();
    m_timer.start(m_frames[m_current].delayMs);
}

void PictureView::StopAnimation() {
    m_timer.stop();
}

void PictureView::Unload() {
    StopAnimation();
    m_frames.clear();
    m_current = 0;
    m_drawn = false;
    update();
}

void PictureView::paintEvent(QPaintEvent*) {
    if (!m_drawn || m_frames.empty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_frames[m_current].image);
}

}  // namespace harbrook::qt
