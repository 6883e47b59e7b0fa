#include "image/PreviewScaling.h"

namespace PreviewScaling {

QSize fittedSize(const QSize &picture, const QSize &frame) {
  if (frame.isEmpty() || picture.isEmpty()) return {};
  if (picture.width() <= frame.width() && picture.height() <= frame.height()) return picture;
  return picture.scaled(frame, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

}  // namespace PreviewScaling
