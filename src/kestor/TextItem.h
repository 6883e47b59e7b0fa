// An item of a text property.
#pragma once

#include "kestor/Item.h"

class KESTOR::TextItem : public KESTOR::Item {
public:
  using Item::Item;
  // The text value (invalid UTF-8 replaced).
  QString value() const;
};
