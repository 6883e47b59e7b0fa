#include "image/ExifProperties.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

namespace {

// The numbers of an entry of rationals; nothing when one is over zero.
template <typename Rational>
std::optional<QVariantList> fractions(const Exiv2::Value &value) {
  const auto *typed = dynamic_cast<const Exiv2::ValueType<Rational> *>(&value);
  if (!typed) return std::nullopt;
  QVariantList numbers;
  for (const Rational &r : typed->value_) {
    if (r.second == 0) return std::nullopt;
    numbers.append(double(r.first) / double(r.second));
  }
  return numbers;
}

std::optional<QVariantList> numbers(const Exiv2::Exifdatum &datum) {
  QVariantList out;
  switch (datum.typeId()) {
  case Exiv2::unsignedShort:
  case Exiv2::unsignedLong:
  case Exiv2::signedShort:
  case Exiv2::signedLong:
    for (long i = 0; i < datum.count(); ++i) out.append(qint64(datum.toLong(i)));
    return out;
  case Exiv2::tiffFloat:
  case Exiv2::tiffDouble:
    for (long i = 0; i < datum.count(); ++i) out.append(double(datum.toFloat(i)));
    return out;
  case Exiv2::unsignedRational: return fractions<Exiv2::URational>(datum.value());
  case Exiv2::signedRational: return fractions<Exiv2::Rational>(datum.value());
  default: return std::nullopt;
  }
}

// An entry's value; nothing for numbers that are not all numbers, or none.
std::optional<QVariant> value(const Exiv2::Exifdatum &datum) {
  switch (datum.typeId()) {
  case Exiv2::asciiString:
  case Exiv2::string:
  case Exiv2::date:
  case Exiv2::time:
  case Exiv2::comment: return QVariant(QString::fromStdString(datum.toString()));
  case Exiv2::unsignedByte:
  case Exiv2::signedByte:
  case Exiv2::undefined: {
    QByteArray bytes(qsizetype(datum.size()), '\0');
    datum.copy(reinterpret_cast<Exiv2::byte *>(bytes.data()), Exiv2::littleEndian);
    return QVariant(bytes);
  }
  default: break;
  }
  const std::optional<QVariantList> list = numbers(datum);
  if (!list || list->isEmpty()) return std::nullopt;
  return list->size() == 1 ? list->front() : QVariant(*list);
}

}  // namespace

namespace ExifProperties {

std::optional<QVariantMap> read(const QByteArray &data) {
  static std::once_flag prepared;
  std::call_once(prepared, [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::XmpParser::initialize();  // once, before threads read XMP packets
  });
  QVariantMap properties;
  try {  // Exiv2 reports errors by exceptions: none leaves this function
    // Exiv2 reads the bytes in place.
    auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(data.constData()), long(data.size()));
    image->readMetadata();
    for (const Exiv2::Exifdatum &datum : image->exifData()) {
      const std::string group = datum.groupName(), name = datum.tagName();
      if (group != "Photo" && !(group == "Image" && (name == "Make" || name == "Model"))) continue;
      if (const std::optional<QVariant> v = value(datum)) properties.insert(QString::fromStdString(name), *v);
    }
  } catch (const std::exception &) {
    return std::nullopt;
  }
  if (properties.isEmpty()) return std::nullopt;
  return properties;
}

}  // namespace ExifProperties
