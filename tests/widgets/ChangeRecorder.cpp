#include "ChangeRecorder.h"

#include <mutex>

namespace {

std::mutex mutex;
std::vector<RecordedChange> recorded;

QString stored(const char *value) { return QString::fromUtf8(value); }
double stored(double value) { return value; }
bool stored(bool value) { return value; }

// Records one change call: its item names and values go into the given map of the change.
template <typename Value, typename Stored>
kestor_result record(const char *function, const char *device, const char *property, int32_t count, char **items,
                     Value *values, QMap<QString, Stored> RecordedChange::*field) {
  RecordedChange change;
  change.function = QLatin1String(function);
  change.device = QString::fromUtf8(device);
  change.property = QString::fromUtf8(property);
  change.count = count;
  for (int32_t i = 0; i < count; ++i) {
    (change.*field).insert(QString::fromUtf8(items[i]), stored(values[i]));
  }
  std::lock_guard lock(mutex);
  recorded.push_back(std::move(change));
  return KESTOR_OK;
}

kestor_result text(kestor_client *, const char *device, const char *property, int32_t count, char **items,
                   char **values) {
  return record("text", device, property, count, items, values, &RecordedChange::texts);
}

kestor_result number(kestor_client *, const char *device, const char *property, int32_t count, char **items,
                     double *values) {
  return record("number", device, property, count, items, values, &RecordedChange::numbers);
}

kestor_result toggle(kestor_client *, const char *device, const char *property, int32_t count, char **items,
                     bool *values) {
  return record("switch", device, property, count, items, values, &RecordedChange::switches);
}

}  // namespace

void ChangeRecorder::install(KESTOR &kestor) {
  {
    std::lock_guard lock(mutex);
    recorded.clear();
  }
  kestor.framework.changeTextProperty = &text;
  kestor.framework.changeNumberProperty = &number;
  kestor.framework.changeSwitchProperty = &toggle;
}

std::vector<RecordedChange> ChangeRecorder::changes(KESTOR &kestor) {
  kestor.waitForChanges();
  std::lock_guard lock(mutex);
  return recorded;
}
