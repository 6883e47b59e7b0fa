#include "RecordWriter.h"

#include "Text.h"

namespace kestor {

namespace {

void writeBlob(kestor_item &item, IncomingItem &in, std::vector<void *> &released) {
  if (!in.blob) return;
  if (item.blob_value) released.push_back(item.blob_value);
  copyField(item.blob_format, in.blob->format);
  copyField(item.blob_url, "");
  item.blob_size = in.blob->size;
  item.blob_value = in.blob->data.release();
}

// A number's target is the client's: a new definition sets it, the server's updates leave it.
void writeValue(kestor_item &item, uint32_t type, const IncomingItem &in) {
  switch (type) {
  case KESTOR_TEXT: copyField(item.text_value, in.text); break;
  case KESTOR_NUMBER: item.number_value = in.value; break;
  case KESTOR_SWITCH: item.switch_value = in.state != 0; break;
  case KESTOR_LIGHT: item.light_value = in.state; break;
  }
}

kestor_item *findItem(kestor_property &record, std::string_view name) {
  for (int32_t i = 0; i < record.count; ++i)
    if (fieldText(record.items[i].name) == name) return &record.items[i];
  return nullptr;
}

}  // namespace

bool sameShape(const kestor_property &record, const Incoming &definition) {
  if (record.type != definition.type || record.count != static_cast<int32_t>(definition.items.size())) return false;
  for (int32_t i = 0; i < record.count; ++i)
    if (fieldText(record.items[i].name) != definition.items[static_cast<size_t>(i)].name) return false;
  return true;
}

void writeDefinition(kestor_property &record, const Incoming &definition, Targets targets) {
  copyField(record.group, definition.group);
  copyField(record.label, definition.label);
  copyField(record.hints, "");
  record.state = definition.state.value_or(KESTOR_STATE_IDLE);
  record.type = definition.type;
  record.perm = definition.perm;
  record.rule = definition.rule;
  record.version = KESTOR_PROTOCOL_INDI_1_7;
  record.hidden = false;
  record.count = static_cast<int32_t>(definition.items.size());
  for (int32_t i = 0; i < record.count; ++i) {
    kestor_item &item = record.items[i];
    const IncomingItem &in = definition.items[static_cast<size_t>(i)];
    copyField(item.name, in.name);
    copyField(item.label, in.label);
    if (definition.type == KESTOR_NUMBER) {
      copyField(item.number_format, in.text);
      item.number_min = in.min;
      item.number_max = in.max;
      item.number_step = in.step;
    }
    writeValue(item, definition.type, in);
    if (definition.type == KESTOR_NUMBER && targets == Targets::FromValues) item.number_target = in.value;
  }
}

void writeUpdate(kestor_property &record, Incoming &update, std::vector<void *> &released,
                 std::vector<std::string> &unknown) {
  if (update.state) record.state = *update.state;
  for (IncomingItem &in : update.items) {
    kestor_item *item = findItem(record, in.name);
    if (!item)
      unknown.push_back(in.name);
    else if (record.type == KESTOR_BLOB)
      writeBlob(*item, in, released);
    else
      writeValue(*item, record.type, in);
  }
}

void writeTargets(kestor_property &record, const SentNumbers &sent) {
  for (const auto &[name, value] : sent)
    if (kestor_item *item = findItem(record, name)) item->number_target = value;
}

}  // namespace kestor
