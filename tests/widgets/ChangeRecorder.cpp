#include "ChangeRecorder.h"

#include <mutex>

namespace {

std::mutex mutex;
std::vector<RecordedChange> recorded;

RecordedChange start(const char *function, const char *device, const char *property, int32_t count) {
  RecordedChange change;
  change.function = QLatin1String(function);
  change.device = QString::fromUtf8(device);
  change.property = QString::fromUtf8(property);
  change.count = count;
  return change;
}

void keep(RecordedChange change) {
  std::lock_guard lock(mutex);
  recorded.push_back(std::move(change));
}

kestor_result text(kestor_client *, const char *device, const char *property, int32_t count, char **items,
                   char **values) {
  RecordedChange change = start("text", device, property, count);
  for (int32_t i = 0; i < count; ++i) {
    change.texts.insert(QString::fromUtf8(items[i]), QString::fromUtf8(values[i]));
  }
  keep(change);
  return KESTOR_OK;
}

kestor_result number(kestor_client *, const char *device, const char *property, int32_t count, char **items,
                     double *values) {
  RecordedChange change = start("number", device, property, count);
  for (int32_t i = 0; i < count; ++i) {
    change.numbers.insert(QString::fromUtf8(items[i]), values[i]);
  }
  keep(change);
  return KESTOR_OK;
}

kestor_result toggle(kestor_client *, const char *device, const char *property, int32_t count, char **items,
                     bool *values) {
  RecordedChange change = start("switch", device, property, count);
  for (int32_t i = 0; i < count; ++i) {
    change.switches.insert(QString::fromUtf8(items[i]), values[i]);
  }
  keep(change);
  return KESTOR_OK;
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
