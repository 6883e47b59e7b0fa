// The whole device model: include this to use devices, groups, properties and items.
#pragma once

#include "kestor/BLOBItem.h"
#include "kestor/Device.h"
#include "kestor/Group.h"
#include "kestor/Item.h"
#include "kestor/KESTOR.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/LightItem.h"
#include "kestor/NumberItem.h"
#include "kestor/Property.h"
#include "kestor/SwitchItem.h"
#include "kestor/TextItem.h"
