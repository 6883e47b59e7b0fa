// An item of a light property: a state code like a property's.
#pragma once

#include "kestor/Item.h"

class KESTOR::LightItem : public KESTOR::Item {
public:
  using Item::Item;
  uint32_t value() const { return item->light_value; }
};
