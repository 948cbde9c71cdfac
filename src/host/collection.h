#pragma once
// Word collections: Count, 1-based Item, enumeration in collection order.

#include <vector>

#include "host/object.h"

namespace tarnwell::host {

int32_t count(Object& collection);
// Item by 1-based index or by name; Word raises 5941 for a missing member.
ObjectPtr item(Object& collection, const Value& index);
// The members in collection order (Item(1) .. Item(Count)).
std::vector<ObjectPtr> items(Object& collection);

// Raises 91 (object variable not set) for nothing, so a facade over a
// released reference fails the way late-bound Word code does.
Object& deref(const ObjectPtr& o);

}  // namespace tarnwell::host
