#include "widgets/ImageView.h"

#include <QPainter>

ImageView::ImageView(QWidget *parent) : QWidget(parent) {}

void ImageView::setPixmap(const QPixmap &pixmap) {
  if (pixmap.cacheKey() == pixmap_.cacheKey()) return;  // the same picture
  pixmap_ = pixmap;
  update();
}

void ImageView::paintEvent(QPaintEvent *) {
  if (pixmap_.isNull()) {
    return;
  }
  const QSizeF natural = pixmap_.deviceIndependentSize();
  QSizeF shown = natural;
  if (natural.width() > width() || natural.height() > height()) {
    shown = natural.scaled(size(), Qt::KeepAspectRatio);
  }
  const QRectF target(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(target, pixmap_, QRectF(pixmap_.rect()));
}
