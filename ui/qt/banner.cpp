#include "ui/qt/banner.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "app/window_texts.h"
#include "ui/qt/art.h"

namespace harbrook::qt {
namespace {
constexpr QSize kStatusPicture{120, 55};
}

Banner::Banner(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);
    setPalette(white);

    auto* logo = new QLabel;
    logo->setPixmap(ArtPixmap("harbrook", {36, 36}, devicePixelRatioF()));
    auto* product = new QLabel(QString::fromStdString(window_text::ProductName()));
    QFont productFont = font();
    productFont.setBold(true);
    productFont.setPointSizeF(productFont.pointSizeF() * 1.35);
    product->setFont(productFont);

    m_statusPicture = new QLabel;
    m_statusPicture->setFixedSize(kStatusPicture);
    m_text = new QLabel;
    m_text->setWordWrap(true);
    QFont textFont = font();
    textFont.setPointSizeF(textFont.pointSizeF() * 1.15);
    textFont.setWeight(QFont::DemiBold);
    m_text->setFont(textFont);
    m_progress = new QLabel;
    QPalette faint = white;
    faint.setColor(QPalette::WindowText, QColor(255, 255, 255, 215));
    m_progress->setPalette(faint);
    m_bar = new QProgressBar;
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    m_bar->setFixedHeight(4);
    m_bar->setStyleSheet(
        "QProgressBar { background: rgba(255,255,255,60); border: none; border-radius: 2px; }"
        "QProgressBar::chunk { background: #3DDC84; border-radius: 2px; }");

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addStretch();
    texts->addWidget(m_text);
    texts->addWidget(m_progress);
    texts->addWidget(m_bar);
    texts->addStretch();

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(10);
    row->addWidget(logo);
    row->addWidget(product);
    row->addSpacing(24);
    row->addWidget(m_statusPicture);
    row->addSpacing(6);
    row->addLayout(texts, 1);
    Render(BannerModel().View());
}

void Banner::Render(const BannerView& view) {
    m_picture = view.picture;
    m_statusPicture->setPixmap(ArtPixmap(
        view.picture == BannerPicture::Connected ? "status_connected" : "status_not_connected",
        kStatusPicture, devicePixelRatioF()));
    m_text->setText(QString::fromStdString(view.text));
    m_progress->setText(QString::fromStdString(view.progressLine));
    m_progress->setVisible(!view.progressLine.empty());
    m_bar->setVisible(view.percent >= 0);
    if (view.percent >= 0) m_bar->setValue(view.percent);
}

void Banner::resizeEvent(QResizeEvent*) {
    m_background = {};
}

void Banner::paintEvent(QPaintEvent*) {
    // The background keeps its proportions and covers the banner.
    if (m_background.isNull() || m_background.deviceIndependentSize() != QSizeF(size())) {
        const QSize art(1024, 220);
        const QSize cover = art.scaled(size(), Qt::KeepAspectRatioByExpanding);
        const QPixmap full = ArtPixmap("banner_background", cover, devicePixelRatioF());
        m_background = full.copy(QRect(QPoint(0, 0), size() * devicePixelRatioF()));
        m_background.setDevicePixelRatio(devicePixelRatioF());
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

}  // namespace harbrook::qt
