// Hand-filled library records for the model tests: a property record with its items, zeroed
// like the library's, and freed with the object.
#pragma once

#include <kestor.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct ItemRecipe {
  std::string name;
  std::function<void(kestor_item &)> fill = [](kestor_item &) {};
};

class PropertyRecord {
public:
  PropertyRecord(const std::string &device, const std::string &name, uint32_t type, uint32_t state = KESTOR_STATE_IDLE,
                 const std::vector<ItemRecipe> &items = {}, const std::string &group = "Main Control")
      : memory(static_cast<kestor_property *>(std::calloc(1, size(items.size()))), &std::free) {
    kestor_property *record = memory.get();
    copy(record->device, device);
    copy(record->name, name);
    copy(record->group, group);
    copy(record->label, name + " label");
    record->type = type;
    record->state = state;
    record->version = KESTOR_PROTOCOL_INDI_1_7;
    record->count = static_cast<int32_t>(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
      copy(record->items[i].name, items[i].name);
      copy(record->items[i].label, items[i].name + " label");
      items[i].fill(record->items[i]);
    }
  }

  kestor_property *get() const { return memory.get(); }
  kestor_property *operator->() const { return memory.get(); }
  kestor_item &item(size_t i) const { return memory->items[i]; }

  template <size_t N>
  static void copy(char (&field)[N], const std::string &text) {
    std::strncpy(field, text.c_str(), N - 1);
  }

private:
  static size_t size(size_t count) {
    return sizeof(kestor_property) + (count > 0 ? count - 1 : 0) * sizeof(kestor_item);
  }
  std::unique_ptr<kestor_property, decltype(&std::free)> memory;
};

inline ItemRecipe switchItem(const std::string &name, bool on) {
  return {name, [on](kestor_item &item) { item.switch_value = on; }};
}

inline ItemRecipe numberItem(const std::string &name, double value, const std::string &format = "%g") {
  return {name, [value, format](kestor_item &item) {
            item.number_value = value;
            item.number_target = value;
            PropertyRecord::copy(item.number_format, format);
          }};
}

inline ItemRecipe textItem(const std::string &name, const std::string &value) {
  return {name, [value](kestor_item &item) { PropertyRecord::copy(item.text_value, value); }};
}
