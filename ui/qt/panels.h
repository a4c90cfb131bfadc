// The three panels of the main window's bottom-right corner: the connect
// panel (how to pair, the phone picture, the QR code), the connected panel
// (the phone's name, "Disconnect") and the received-files panel (a button
// per category).
#pragma once

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "app/window_model.h"
#include "ui/qt/buttons.h"
#include "ui/qt/picture_view.h"

namespace harbrook::qt {

// The QR code, enlarged by a whole number of screen pixels a module and
// never smoothed, so that a phone can read it from the screen.
class QrView final : public QWidget {
    Q_OBJECT
  public:
    explicit QrView(QWidget* parent = nullptr);
    void SetImage(const QImage& image, const QString& text);
    QString CodeText() const { return m_text; }
    // Screen pixels per bitmap pixel for a given space.
    static int WholeScale(QSize image, QSize space, qreal devicePixelRatio);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QImage m_image;
    QString m_text;
};

class ConnectPanel final : public QWidget {
    Q_OBJECT
  public:
    ConnectPanel(DialogBaseUnits units, QWidget* parent = nullptr);
    // Loads "mobile.jpg"; false when the picture is missing or unreadable.
    bool LoadPhonePicture(const QString& path);
    QrView* Qr() const { return m_qr; }

  private:
    PictureView* m_phone;
    QrView* m_qr;
};

class ConnectedPanel final : public QWidget {
    Q_OBJECT
  public:
    ConnectedPanel(DialogBaseUnits units, QWidget* parent = nullptr);
    void SetHeadline(const QString& text) { m_headline->setText(text); }
    QString Headline() const { return m_headline->text(); }
    QPushButton* DisconnectButton() const { return m_disconnect; }

  signals:
    void disconnectClicked();

  private:
    QLabel* m_headline;
    QPushButton* m_disconnect;
};

class ReceivedFilesPanel final : public QWidget {
    Q_OBJECT
  public:
    ReceivedFilesPanel(DialogBaseUnits units, QWidget* parent = nullptr);
    const std::array<CategoryButton*, 4>& Buttons() const { return m_buttons; }

  signals:
    // The folder's string ID of the category clicked.
    void categoryClicked(unsigned folderStringId);

  private:
    std::array<CategoryButton*, 4> m_buttons{};
};

// A bold label a size larger than the text around it.
QLabel* MakeHeadline(const QString& text);

}  // namespace harbrook::qt
