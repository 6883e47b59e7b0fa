// One item of the control panel's outline: a device, a group or a property of the client's
// model (the objects themselves, never copies).
#pragma once

#include "kestor/KESTOR.h"

#include <memory>
#include <variant>

using OutlineItem =
    std::variant<std::shared_ptr<KESTOR::Device>, std::shared_ptr<KESTOR::Group>, std::shared_ptr<KESTOR::Property>>;

// The model object an item stands for.
const void *outlineObject(const OutlineItem &item);
