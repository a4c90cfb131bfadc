#include "ui/qt/buttons.h"

#include <QPainter>
#include <QStyle>

namespace harbrook::qt {
namespace {

constexpr int kPadding = 8;
constexpr int kNavIcon = 32;
const QColor kNavText{0x1F, 0x2D, 0x3D};
const QColor kNavChecked{0xE1, 0xEC, 0xFB};
const QColor kNavHover{0xEA, 0xF0, 0xF7};
const QColor kAccent{0x2F, 0x80, 0xED};
const QColor kCategoryFace{0xF1, 0xF8, 0xF5};
const QColor kCategoryBorder{0xC9, 0xE4, 0xDA};

QFont Bold(QFont font) {
    font.setBold(true);
    return font;
}

}  // namespace

NavButton::NavButton(const QIcon& icon, QWidget* parent) : QAbstractButton(parent) {
    setIcon(icon);
    setIconSize({kNavIcon, kNavIcon});
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);  // the buttons have no tab stop
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QRect NavButton::TextRect(const QRect& inside) const {
    return inside.adjusted(kPadding + kNavIcon + kPadding, kPadding / 2, -kPadding, -kPadding / 2);
}

int NavButton::heightForWidth(int width) const {
    const QRect text = TextRect({0, 0, width, 1000});
    const QFontMetrics metrics(Bold(font()));
    const int textHeight =
        metrics.boundingRect(text, Qt::TextWordWrap | Qt::AlignLeft, this->text()).height();
    return std::max(kNavIcon + kPadding, textHeight + kPadding) + kPadding / 2;
}

QSize NavButton::sizeHint() const {
    return {minimumWidth(), std::max(minimumHeight(), heightForWidth(minimumWidth()))};
}

void NavButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (isChecked() || (underMouse() && isEnabled())) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(isChecked() ? kNavChecked : kNavHover);
        painter.drawRoundedRect(face, 6, 6);
    }
    if (isChecked()) {
        // An accent bar on the leading edge.
        const QRect bar =
            QStyle::visualRect(layoutDirection(), rect(), QRect(0, 6, 4, height() - 12));
        painter.setBrush(kAccent);
        painter.drawRoundedRect(bar, 2, 2);
    }
    const QRect iconRect = QStyle::visualRect(
        layoutDirection(), rect(), QRect(kPadding, (height() - kNavIcon) / 2, kNavIcon, kNavIcon));
    icon().paint(&painter, iconRect, Qt::AlignCenter,
                 isEnabled() ? QIcon::Normal : QIcon::Disabled);
    painter.setFont(isChecked() ? Bold(font()) : font());
    painter.setPen(isEnabled() ? kNavText : palette().color(QPalette::Disabled, QPalette::Text));
    const QRect textRect = QStyle::visualRect(layoutDirection(), rect(), TextRect(rect()));
    painter.drawText(textRect, Qt::TextWordWrap | Qt::AlignVCenter | Qt::AlignLeading, text());
}

CategoryButton::CategoryButton(const QIcon& picture, QWidget* parent) : QAbstractButton(parent) {
    setIcon(picture);
    setIconSize({kPictureSide, kPictureSide});
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void CategoryButton::SetDescription(const QString& text) {
    m_description = text;
    updateGeometry();
    update();
}

int CategoryButton::TextWidth(int width) const {
    return std::max(1, width - (kPadding + kPictureSide + 2 * kPadding + kPadding));
}

int CategoryButton::heightForWidth(int width) const {
    const int textWidth = TextWidth(width);
    const int title = QFontMetrics(Bold(font())).height();
    const int description =
        m_description.isEmpty()
            ? 0
            : QFontMetrics(font())
                  .boundingRect(QRect(0, 0, textWidth, 2000), Qt::TextWordWrap, m_description)
                  .height();
    return std::max(kPictureSide, title + 4 + description) + 2 * kPadding;
}

QSize CategoryButton::sizeHint() const {
    const int width = 360;
    return {width, heightForWidth(width)};
}

void CategoryButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_bHoverTransparent || underMouse()) {
        painter.setPen(QPen(kCategoryBorder, 1));
        painter.setBrush(isDown() ? kCategoryBorder : kCategoryFace);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    }
    const QRect pictureRect = QStyle::visualRect(
        layoutDirection(), rect(),
        QRect(kPadding, (height() - kPictureSide) / 2, kPictureSide, kPictureSide));
    icon().paint(&painter, pictureRect);

    const int textLeft = kPadding + kPictureSide + 2 * kPadding;
    const QFont titleFont = m_description.isEmpty() ? font() : Bold(font());
    const int titleHeight = QFontMetrics(titleFont).height();
    const int descriptionHeight = m_description.isEmpty()
                                      ? 0
                                      : QFontMetrics(font())
                                            .boundingRect(QRect(0, 0, TextWidth(width()), 2000),
                                                          Qt::TextWordWrap, m_description)
                                            .height();
    // Title and description together, centred beside the picture.
    const int blockHeight = titleHeight + (m_description.isEmpty() ? 0 : 4 + descriptionHeight);
    int top = std::max(kPadding, (height() - blockHeight) / 2);
    painter.setFont(titleFont);
    painter.setPen(m_clrTitle);
    painter.drawText(QStyle::visualRect(layoutDirection(), rect(),
                                        QRect(textLeft, top, TextWidth(width()), titleHeight)),
                     Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine, text());
    if (m_description.isEmpty()) return;
    top += titleHeight + 4;
    painter.setFont(font());
    painter.setPen(m_clrDescription);
    painter.drawText(QStyle::visualRect(layoutDirection(), rect(),
                                        QRect(textLeft, top, TextWidth(width()), height() - top)),
                     Qt::AlignLeading | Qt::AlignTop | Qt::TextWordWrap, m_description);
}

}  // namespace harbrook::qt
