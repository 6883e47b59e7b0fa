#include "widgets/ElidedLabel.h"

#include <QPainter>

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent, Qt::TextElideMode mode) : QLabel(parent), mode_(mode) {
  // The format first: the text is then laid out once, as plain text.
  setTextFormat(Qt::PlainText);
  setText(text);
}

void ElidedLabel::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  const QRect area = contentsRect();
  const QString shown = fontMetrics().elidedText(text(), mode_, area.width());
  painter.setPen(palette().color(foregroundRole()));
  painter.drawText(area, static_cast<int>(alignment() | Qt::AlignVCenter), shown);
}
