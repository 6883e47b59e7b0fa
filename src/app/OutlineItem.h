// One item of the control panel's outline: a device, a group or a property of the client's
// model (the objects themselves, never copies), or the empty text that a stale index yields.
#pragma once

#include "kestor/KESTOR.h"

#include <QString>

#include <memory>
#include <variant>

using OutlineItem = std::variant<QString, std::shared_ptr<KESTOR::Device>, std::shared_ptr<KESTOR::Group>,
                                 std::shared_ptr<KESTOR::Property>>;

// The model object an item stands for; nullptr for the empty text.
const void *outlineObject(const OutlineItem &item);
