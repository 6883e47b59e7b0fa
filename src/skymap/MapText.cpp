#include "skymap/MapText.h"

#include <QGuiApplication>
#include <QPainter>

QFont mapFont(int size) {
  QFont font = QGuiApplication::font();
  font.setPixelSize(std::max(1, size));
  return font;
}

ViewCoordinates::ViewCoordinates(QPainter &painter, const QTransform &view, const QFont &font) : painter_(painter) {
  painter.save();
  painter.setWorldTransform(view);
  painter.setFont(font);
}

ViewCoordinates::~ViewCoordinates() { painter_.restore(); }
