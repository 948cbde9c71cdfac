#include "host/collection.h"

#include "host/host_error.h"

namespace tarnwell::host {

Object& deref(const ObjectPtr& o) {
  if (!o) throw HostError(kErrObjectNotSet, "Object variable or With block variable not set");
  return *o;
}

int32_t count(Object& collection) { return collection.get("Count").as_int(); }

ObjectPtr item(Object& collection, const Value& index) {
  return collection.call("Item", {index}).as_object();
}

std::vector<ObjectPtr> items(Object& collection) {
  std::vector<ObjectPtr> out;
  int32_t n = count(collection);
  out.reserve(static_cast<size_t>(n > 0 ? n : 0));
  for (int32_t i = 1; i <= n; ++i) out.push_back(item(collection, i));
  return out;
}

}  // namespace tarnwell::host
