#include "kestor/NumberItem.h"

#include "kestor/RecordText.h"

QString KESTOR::NumberItem::format() const { return textFromField(item->number_format); }
