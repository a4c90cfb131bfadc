#include "ui/qt/panels.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

#include "app/received_files.h"
#include "app/window_texts.h"
#include "ui/qt/art.h"

namespace harbrook::qt {
namespace {

using namespace window_text;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* MakeLine(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0x34, 0x3F, 0x4B));
    label->setPalette(palette);
    return label;
}

// The panels are white, whatever the desktop's colours.
void MakeWhite(QWidget* panel) {
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
}

}  // namespace

QLabel* MakeHeadline(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0x1F, 0x2D, 0x3D));
    label->setPalette(palette);
    return label;
}

QrView::QrView(QWidget* parent) : QWidget(parent) {}

int QrView::WholeScale(QSize image, QSize space, qreal devicePixelRatio) {
    if (image.isEmpty()) return 1;
    const int across = static_cast<int>(std::floor(space.width() * devicePixelRatio));
    const int down = static_cast<int>(std::floor(space.height() * devicePixelRatio));
    return std::max(1, std::min(across / image.width(), down / image.height()));
}

void QrView::SetImage(const QImage& image, const QString& text) {
    m_image = image;
    m_text = text;
    update();
}

void QrView::paintEvent(QPaintEvent*) {
    if (m_image.isNull()) return;
    const qreal ratio = devicePixelRatioF();
    const int scale = WholeScale(m_image.size(), size(), ratio);
    const QSizeF shown = QSizeF(m_image.size() * scale) / ratio;
    const QRectF target(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                        shown);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Whole device pixels, so that no module is a pixel wider than another.
    const QPointF device = target.topLeft() * ratio;
    painter.drawImage(
        QRectF(QPointF(std::round(device.x()), std::round(device.y())) / ratio, shown), m_image);
}

ConnectPanel::ConnectPanel(DialogBaseUnits units, QWidget* parent) : QWidget(parent) {
    MakeWhite(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(DluToPixelsX(15, units), DluToPixelsY(10, units),
                               DluToPixelsX(15, units), DluToPixelsY(8, units));
    layout->setSpacing(DluToPixelsY(5, units));
    layout->addWidget(MakeHeadline(Q(Text(kStrPairingTitle)).trimmed()));
    layout->addSpacing(DluToPixelsY(3, units));
    layout->addWidget(MakeLine(Q(WithProductName(kStrPairingStepInstall))));
    layout->addWidget(MakeLine(Q(WithProductName(kStrPairingStepScan))));

    m_phone = new PictureView;
    m_qr = new QrView;
    m_qr->setMinimumSize(DluToPixelsX(152, units), DluToPixelsY(140, units));
    auto* pictures = new QHBoxLayout;
    pictures->addWidget(m_phone, 0, Qt::AlignVCenter);
    pictures->addStretch(1);
    pictures->addWidget(m_qr, 0, Qt::AlignVCenter);
    pictures->addStretch(1);
    layout->addLayout(pictures, 1);
}

bool ConnectPanel::LoadPhonePicture(const QString& path) {
    if (!m_phone->LoadFile(path)) return false;
    m_phone->Draw();
    return true;
}

ConnectedPanel::ConnectedPanel(DialogBaseUnits units, QWidget* parent) : QWidget(parent) {
    MakeWhite(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(DluToPixelsX(16, units), DluToPixelsY(10, units),
                               DluToPixelsX(16, units), DluToPixelsY(10, units));
    layout->setSpacing(DluToPixelsY(5, units));
    m_headline = MakeHeadline({});
    layout->addWidget(m_headline);
    layout->addSpacing(DluToPixelsY(3, units));
    layout->addWidget(MakeLine(Q(Text(kStrConnectedBackupLine))));
    layout->addWidget(MakeLine(Q(Text(kStrConnectedSendLine))));
    layout->addSpacing(DluToPixelsY(6, units));

    m_disconnect = new QPushButton(Q(Text(kStrDisconnect)));
    m_disconnect->setMinimumSize(DluToPixelsX(87, units), DluToPixelsY(14, units) + 6);
    m_disconnect->setAutoDefault(false);
    connect(m_disconnect, &QPushButton::clicked, this, &ConnectedPanel::disconnectClicked);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_disconnect);
    buttonRow->addStretch(1);
    layout->addLayout(buttonRow);
    layout->addStretch(1);

    // The phone and the computer joined, on a card of the banner's blue.
    const QSize picture(240, 110);
    auto* card = new QLabel;
    QPixmap art(QSize(picture.width() + 48, picture.height() + 32) * devicePixelRatioF());
    art.setDevicePixelRatio(devicePixelRatioF());
    art.fill(Qt::transparent);
    {
        QPainter painter(&art);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x2F, 0x80, 0xED));
        painter.drawRoundedRect(QRectF(QPointF(0, 0), art.deviceIndependentSize()), 16, 16);
        painter.drawPixmap(24, 16, ArtPixmap("status_connected", picture, devicePixelRatioF()));
    }
    card->setPixmap(art);
    layout->addWidget(card, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

ReceivedFilesPanel::ReceivedFilesPanel(DialogBaseUnits units, QWidget* parent) : QWidget(parent) {
    MakeWhite(this);
    static const char* const kPictures[4] = {"category_album", "category_other",
                                             "category_document", "category_audio"};
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(DluToPixelsX(12, units), DluToPixelsY(14, units),
                               DluToPixelsX(12, units), DluToPixelsY(8, units));
    layout->setSpacing(DluToPixelsY(6, units));
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const auto& texts = kCategoryButtons[i];
        auto* button = new CategoryButton(ArtIcon(kPictures[i]));
        button->setText(Q(LoadUiString(texts.caption, 200)));
        button->SetDescription(Q(LoadUiString(texts.description, 300)));
        button->setMinimumHeight(DluToPixelsY(40, units));
        const unsigned folder = texts.folder;
        connect(button, &QAbstractButton::clicked, this,
                [this, folder] { emit categoryClicked(folder); });
        layout->addWidget(button);
        m_buttons[i] = button;
    }
    layout->addStretch(1);
}

}  // namespace harbrook::qt
