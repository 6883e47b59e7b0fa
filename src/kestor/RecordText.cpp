#include "kestor/RecordText.h"

#include <QStringDecoder>

namespace {

bool strict(QByteArrayView bytes, QString &result) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(bytes);
  if (decoder.hasError()) return false;
  result = std::move(text);
  return true;
}

}  // namespace

QString nameFromField(const char *field, size_t width) {
  QString result;
  return strict(QByteArrayView(field, static_cast<qsizetype>(strnlen(field, width))), result) ? result : QString();
}

QString textFromField(const char *field, size_t width) {
  return QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, width)));
}

bool decodeStrictUtf8(const char *text, QString &result) {
  return text != nullptr && strict(QByteArrayView(text, static_cast<qsizetype>(strlen(text))), result);
}
