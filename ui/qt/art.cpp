#include "ui/qt/art.h"

#include <QPainter>
#include <QSvgRenderer>

namespace harbrook::qt {

QIcon ArtIcon(const QString& name) {
    return QIcon(":/art/" + name + ".svg");
}

QPixmap ArtPixmap(const QString& name, QSize size, qreal devicePixelRatio) {
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(":/art/" + name + ".svg");
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

}  // namespace harbrook::qt
