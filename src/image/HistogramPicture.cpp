#include "image/HistogramPicture.h"

#include "image/CurrentAppearance.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace HistogramPicture {

double binHeight(int64_t count, int64_t largest) {
  return std::log(double(count) + 1) / ((std::log(double(largest) + 1) - 1) / 127) + 1;
}

QImage draw(const std::array<int64_t, 256> &histo) {
  const int64_t largest = *std::max_element(histo.begin(), histo.end());
  // Heights count upwards from the bottom edge.
  QPainterPath path(QPointF(0, HEIGHT));
  for (int i = 0; i < 256; ++i) path.lineTo(i, HEIGHT - binHeight(histo[size_t(i)], largest));
  path.lineTo(255, HEIGHT);
  path.closeSubpath();

  QImage picture(WIDTH, HEIGHT, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.fillPath(path, currentAppearance().value_or(QPalette()).color(QPalette::Text));
  return picture;
}

}  // namespace HistogramPicture
