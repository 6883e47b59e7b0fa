#include "kestor/ChangeBuffers.h"

#include <cstring>

void copyToBuffer(QStringView text, char *buffer, size_t size) {
  const QByteArray bytes = text.toUtf8();
  size_t length = std::min(static_cast<size_t>(bytes.size()), size - 1);
  if (length < static_cast<size_t>(bytes.size())) {
    // Back up over continuation bytes to the start of the character that does not fit.
    while (length > 0 && (static_cast<unsigned char>(bytes[static_cast<qsizetype>(length)]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(buffer, bytes.constData(), length);
  buffer[length] = '\0';
}

namespace {

char *newBuffer(std::vector<std::unique_ptr<char[]>> &owner, QStringView text, size_t size) {
  owner.push_back(std::make_unique<char[]>(size));
  copyToBuffer(text, owner.back().get(), size);
  return owner.back().get();
}

}  // namespace

void KESTOR::ChangeBuffers::addName(QStringView name) { names.push_back(newBuffer(nameBuffers, name, NAME_SIZE)); }

void KESTOR::ChangeBuffers::addText(QStringView value) { values.push_back(newBuffer(valueBuffers, value, VALUE_SIZE)); }
