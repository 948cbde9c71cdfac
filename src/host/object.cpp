#include "host/object.h"

#include <algorithm>

#include "host/fold.h"
#include "host/host_error.h"

namespace tarnwell::host {

bool same_name(std::string_view a, std::string_view b) { return FoldedEqual{}(a, b); }

void FaultPlan::fail(std::string member, int nth, int32_t number) {
  rules_.push_back(Rule{std::move(member), nth, number});
}

void FaultPlan::check(std::string_view class_name, std::string_view member) {
  if (on_use) on_use(class_name, member);
  // Every rule counts every use it matches, so two rules on one member fail
  // the uses they name whatever their order.
  const Rule* fired = nullptr;
  for (auto& r : rules_) {
    auto dot = r.member.find('.');
    bool hit = dot == std::string::npos
                   ? same_name(r.member, member)
                   : same_name(std::string_view(r.member).substr(0, dot), class_name) &&
                         same_name(std::string_view(r.member).substr(dot + 1), member);
    if (hit && ++r.seen == r.nth && !fired) fired = &r;
  }
  if (fired) {
    throw HostError(fired->number,
                    "Planned failure of " + std::string(class_name) + "." + std::string(member));
  }
}

DispatchObject::DispatchObject(std::string class_name, std::shared_ptr<FaultPlan> faults)
    : class_name_(std::move(class_name)), faults_(std::move(faults)) {}

void DispatchObject::property(std::string name, Getter get, Putter put) {
  auto& m = members_[std::move(name)];
  m.get = std::move(get);
  m.put = std::move(put);
}

void DispatchObject::method(std::string name, Method m) { members_[std::move(name)].call = std::move(m); }

void DispatchObject::SharedTable::property(std::string name, decltype(SharedMember::get) get,
                                           decltype(SharedMember::put) put) {
  auto& m = members_[std::move(name)];
  m.get = std::move(get);
  m.put = std::move(put);
}

void DispatchObject::SharedTable::method(std::string name, decltype(SharedMember::call) m) {
  members_[std::move(name)].call = std::move(m);
}

const DispatchObject::SharedMember* DispatchObject::SharedTable::find(std::string_view name) const {
  auto it = members_.find(name);
  return it == members_.end() ? nullptr : &it->second;
}

bool DispatchObject::NameLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) {
                                        return static_cast<unsigned char>(FoldAscii(x)) <
                                               static_cast<unsigned char>(FoldAscii(y));
                                      });
}

DispatchObject::Found DispatchObject::find(std::string_view name) {
  Found f;
  if (auto it = members_.find(name); it != members_.end()) {
    f.own = &it->second;
  } else if (shared_) {
    f.shared = shared_->find(name);
  }
  return f;
}

Value DispatchObject::do_get(const Found& m, const Args& args) {
  return m.own ? m.own->get(args) : m.shared->get(*this, args);
}

Value DispatchObject::do_call(const Found& m, const Args& args) {
  return m.own ? m.own->call(args) : m.shared->call(*this, args);
}

[[noreturn]] static void no_member(const std::string& cls, std::string_view name) {
  throw HostError(kErrNoSuchMember,
                  "Object doesn't support this property or method (" + cls + "." + std::string(name) + ")");
}

Value DispatchObject::get(std::string_view name, const Args& args) {
  Found m = find(name);
  if (faults_) faults_->check(class_name_, name);
  if (m.get()) return do_get(m, args);
  if (m.call()) return do_call(m, args);  // VB lets a method be read as a property
  no_member(class_name_, name);
}

void DispatchObject::put(std::string_view name, const Value& value, const Args& args) {
  Found m = find(name);
  if (faults_) faults_->check(class_name_, name);
  if (!m.put()) no_member(class_name_, name);
  if (m.own) {
    m.own->put(value, args);
  } else {
    m.shared->put(*this, value, args);
  }
}

Value DispatchObject::call(std::string_view name, const Args& args) {
  Found m = find(name);
  if (faults_) faults_->check(class_name_, name);
  if (m.call()) return do_call(m, args);
  if (m.get()) return do_get(m, args);
  no_member(class_name_, name);
}

const Value& arg(const Args& args, size_t i) {
  static const Value missing = Value::missing();
  return i < args.size() ? args[i] : missing;
}

bool has_arg(const Args& args, size_t i) { return i < args.size() && !args[i].is_missing(); }

}  // namespace tarnwell::host
