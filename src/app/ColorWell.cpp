#include "app/ColorWell.h"

#include <QColorDialog>
#include <QPixmap>

ColorWell::ColorWell(QWidget *parent) : QPushButton(parent) {
  setIconSize({40, 14});
  setColor(current_);
  connect(this, &QPushButton::clicked, this, &ColorWell::choose);
}

void ColorWell::setColor(const QColor &color) {
  current_ = color;
  QPixmap swatch(iconSize());
  swatch.fill(color);
  setIcon(swatch);
}

void ColorWell::choose() {
  const QColor chosen = QColorDialog::getColor(current_, this);
  if (chosen.isValid()) setColor(chosen);
}
