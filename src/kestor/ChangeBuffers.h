// The C arrays of one property change: item names in 128-byte buffers, text values in 512-byte
// buffers, numbers and switch values; allocated for the change and freed with it.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <vector>

#include "kestor/KESTOR.h"

// Copies text into a buffer of the given size as NUL-terminated UTF-8, cut after the last whole
// character that fits before the NUL.
void copyToBuffer(QStringView text, char *buffer, size_t size);

struct KESTOR::ChangeBuffers {
  static constexpr size_t NAME_SIZE = 128;
  static constexpr size_t VALUE_SIZE = 512;

  void addName(QStringView name);
  void addText(QStringView value);
  void addNumber(double value) { numbers.push_back(value); }
  int32_t count() const { return static_cast<int32_t>(names.size()); }

  // The buffers of a change of several items: each entry's name, and its value through addValue.
  template <typename Values, typename AddValue>
  static std::shared_ptr<ChangeBuffers> of(const Values &values, AddValue addValue) {
    auto buffers = std::make_shared<ChangeBuffers>();
    for (auto entry = values.begin(); entry != values.end(); ++entry) {
      buffers->addName(entry.key());
      addValue(*buffers, entry.value());
    }
    return buffers;
  }

  std::vector<std::unique_ptr<char[]>> nameBuffers;
  std::vector<std::unique_ptr<char[]>> valueBuffers;
  std::vector<char *> names;
  std::vector<char *> values;
  std::vector<double> numbers;
  bool switchValue = false;  // the one value of a switch change
};
