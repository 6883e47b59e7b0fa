// Builds an arbitrary settings value from the input (lists and dictionaries of texts, numbers of
// every stored kind, byte arrays and nothing, nested a few levels, "host" and "port" keys likely)
// and reads it as the "servers" setting. Every entry of a list becomes a server or one skipped
// line, and the servers read back unchanged from their stored form.
#include "app/SavedServers.h"

#include <QVariantList>
#include <QVariantMap>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

QString text(FuzzedDataProvider &in) { return QString::fromStdString(in.ConsumeRandomLengthString(24)); }

QVariant value(FuzzedDataProvider &in, int depth) {
  switch (in.ConsumeIntegralInRange(0, depth > 0 ? 11 : 9)) {
  case 0: return text(in);
  case 1: return QVariant::fromValue(in.ConsumeIntegral<qint64>());
  case 2: return QVariant::fromValue(in.ConsumeIntegral<quint64>());
  case 3: return QVariant::fromValue(in.ConsumeIntegral<int>());
  case 4: return QVariant::fromValue(in.ConsumeIntegral<ushort>());
  case 5: return QVariant::fromValue(in.ConsumeIntegral<short>());
  case 6: return in.ConsumeFloatingPoint<double>();
  case 7: return in.ConsumeBool();
  case 8: return QByteArray::fromStdString(in.ConsumeRandomLengthString(8));
  case 9: return QVariant();
  case 10: {
    QVariantList list;
    for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n) list.append(value(in, depth - 1));
    return list;
  }
  default: {
    QVariantMap map;
    static const QString keys[] = {QStringLiteral("host"), QStringLiteral("port")};
    for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n)
      map.insert(in.ConsumeBool() ? keys[in.ConsumeIntegralInRange(0, 1)] : text(in), value(in, depth - 1));
    return map;
  }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  const QVariant stored = value(in, 3);
  qsizetype skipped = 0;
  const auto servers = readSavedServers(stored, [&](const QString &) { ++skipped; });
  const qsizetype entries = stored.typeId() == QMetaType::QVariantList  ? stored.toList().size()
                            : stored.typeId() == QMetaType::QVariantMap ? 1
                                                                        : -1;
  if (entries < 0 ? skipped != 1 || !servers.empty() : qsizetype(servers.size()) + skipped != entries) std::abort();
  qsizetype again = 0;
  if (readSavedServers(savedServersValue(servers), [&](const QString &) { ++again; }) != servers || again) std::abort();
  return 0;
}
