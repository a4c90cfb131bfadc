// The window's two owner-drawn buttons: the navigation button (32×32
// picture beside a text that wraps) and the received-files category button
// (title above a wrapped description, face shown only under the pointer).
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>

namespace harbrook::qt {

class NavButton final : public QAbstractButton {
    Q_OBJECT
  public:
    NavButton(const QIcon& icon, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QRect TextRect(const QRect& inside) const;
};

class CategoryButton final : public QAbstractButton {
    Q_OBJECT
  public:
    static constexpr int kPictureSide = 55;

    CategoryButton(const QIcon& picture, QWidget* parent = nullptr);
    void SetDescription(const QString& text);
    QString Description() const { return m_description; }

    QColor m_clrTitle{10, 100, 79};
    QColor m_clrDescription{110, 110, 110};
    bool m_bHoverTransparent = true;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

  protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }

  private:
    int TextWidth(int width) const;
    QString m_description;
};

}  // namespace harbrook::qt
