#include "kestor/Item.h"

#include "kestor/RecordText.h"

QString KESTOR::Item::description() const { return textFromField(item->label); }
