// The program's pictures, drawn from the SVG sources built into it (res/art),
// sharp at any screen scale.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace harbrook::qt {

// "harbrook", "nav_connect", ... (the file name without ".svg").
QIcon ArtIcon(const QString& name);
// Rendered at `size` logical pixels for a screen of the given pixel ratio.
QPixmap ArtPixmap(const QString& name, QSize size, qreal devicePixelRatio);

}  // namespace harbrook::qt
