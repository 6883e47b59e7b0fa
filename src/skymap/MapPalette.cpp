#include "skymap/MapPalette.h"

#include <QPalette>
#include <QWidget>

MapPalette MapPalette::of(const QWidget &widget) {
  MapPalette palette;
  palette.background = widget.palette().color(QPalette::Window);
  palette.light = palette.background.lightness() >= 128;
  palette.grid = palette.light ? QColor(170, 170, 170) : QColor(85, 85, 85);
  palette.secondaryLabel = palette.light ? QColor(0, 0, 0, 128) : QColor(255, 255, 255, 140);
  palette.stars = palette.light ? QColor(0, 0, 0) : QColor(255, 255, 255);
  return palette;
}
