// An item of a switch property.
#pragma once

#include "kestor/Item.h"

class KESTOR::SwitchItem : public KESTOR::Item {
public:
  using Item::Item;
  bool value() const { return item->switch_value; }
};
