// Writes what an element asks for into a property record. BLOB buffers that a write replaces are
// handed back to the caller, which frees them once no callback can read them any more.
#pragma once

#include "Incoming.h"
#include "Registry.h"

#include <string>
#include <vector>

namespace kestor {

// True when the record has the definition's type and its item names in the same order.
bool sameShape(const kestor_property &record, const Incoming &definition);

// What a definition does to number targets: a new property's start from its values, those of a
// property defined again are kept.
enum class Targets { FromValues, Kept };

// Writes a definition into a record of the same shape (which keeps its BLOB values) or into a new
// one of as many items.
void writeDefinition(kestor_property &record, const Incoming &definition, Targets targets);

// Writes the state and the named items of an update (BLOB values move into the record); the
// names of items that the record lacks are added to `unknown`.
void writeUpdate(kestor_property &record, Incoming &update, std::vector<void *> &released,
                 std::vector<std::string> &unknown);

// Makes the values this client sent to a number property its items' targets (later ones win).
void writeTargets(kestor_property &record, const SentNumbers &sent);

}  // namespace kestor
