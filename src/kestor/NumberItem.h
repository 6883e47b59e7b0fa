// An item of a number property.
#pragma once

#include "kestor/Item.h"

class KESTOR::NumberItem : public KESTOR::Item {
public:
  using Item::Item;
  double value() const { return item->number_value; }
  double target() const { return item->number_target; }
  double min() const { return item->number_min; }
  double max() const { return item->number_max; }
  double step() const { return item->number_step; }
  // printf-style format; one ending in "m" is sexagesimal.
  QString format() const;
};
