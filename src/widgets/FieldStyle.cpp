#include "widgets/FieldStyle.h"

#include <QApplication>
#include <QLineEdit>
#include <algorithm>

namespace FieldStyle {

namespace {
constexpr const char *EDITED = "edited";

void setBase(QLineEdit *field, const QColor &color) {
  QPalette palette = field->palette();
  palette.setColor(QPalette::Base, color);
  field->setPalette(palette);
}
}  // namespace

QColor editedColor() { return QColor(255, 128, 0); }

void makeEditable(QLineEdit *field) {
  field->setReadOnly(false);
  field->setFrame(true);
  markNormal(field);
}

void makeDisplay(QLineEdit *field, bool bordered) {
  field->setReadOnly(true);
  field->setFrame(bordered);
  field->setFocusPolicy(Qt::ClickFocus);
  setBase(field, Qt::transparent);
}

void markEdited(QLineEdit *field) {
  field->setProperty(EDITED, true);
  setBase(field, editedColor());
}

void markNormal(QLineEdit *field) {
  // A field never edited has no mark to clear, and a new field already has the colour (setting a
  // palette again is not free: it is resolved and announced to the field).
  if (isEdited(field)) field->setProperty(EDITED, false);
  const QColor normal = QApplication::palette(field).color(QPalette::Base);
  if (field->palette().color(QPalette::Base) != normal) setBase(field, normal);
}

bool isEdited(const QLineEdit *field) { return field->property(EDITED).toBool(); }

}  // namespace FieldStyle

QFont FieldStyle::smallFont() {
  QFont font = QApplication::font();
  if (font.pointSizeF() > 0) {
    font.setPointSizeF(font.pointSizeF() * 11 / 13);
  } else {
    font.setPixelSize(std::max(1, font.pixelSize() * 11 / 13));
  }
  return font;
}
