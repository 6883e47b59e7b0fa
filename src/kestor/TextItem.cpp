#include "kestor/TextItem.h"

#include "kestor/RecordText.h"

QString KESTOR::TextItem::value() const { return textFromField(item->text_value); }
