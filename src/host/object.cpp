#include "host/object.h"

#include <algorithm>
#include <cctype>

#include "host/host_error.h"

namespace tarnwell::host {

namespace {
std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}
bool same_name(std::string_view a, std::string_view b) { return lower(a) == lower(b); }
}  // namespace

void FaultPlan::fail(std::string member, int nth, int32_t number) {
  rules_.push_back(Rule{std::move(member), nth, number});
}

void FaultPlan::check(std::string_view class_name, std::string_view member) {
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
  auto& m = members_[lower(name)];
  m.get = std::move(get);
  m.put = std::move(put);
}

void DispatchObject::method(std::string name, Method m) { members_[lower(name)].call = std::move(m); }

DispatchObject::Member* DispatchObject::find(std::string_view name) {
  auto it = members_.find(lower(name));
  return it == members_.end() ? nullptr : &it->second;
}

[[noreturn]] static void no_member(const std::string& cls, std::string_view name) {
  throw HostError(kErrNoSuchMember,
                  "Object doesn't support this property or method (" + cls + "." + std::string(name) + ")");
}

Value DispatchObject::get(std::string_view name, const Args& args) {
  Member* m = find(name);
  if (faults_) faults_->check(class_name_, name);
  if (m && m->get) return m->get(args);
  if (m && m->call) return m->call(args);  // VB lets a method be read as a property
  no_member(class_name_, name);
}

void DispatchObject::put(std::string_view name, const Value& value, const Args& args) {
  Member* m = find(name);
  if (faults_) faults_->check(class_name_, name);
  if (!m || !m->put) no_member(class_name_, name);
  m->put(value, args);
}

Value DispatchObject::call(std::string_view name, const Args& args) {
  Member* m = find(name);
  if (faults_) faults_->check(class_name_, name);
  if (m && m->call) return m->call(args);
  if (m && m->get) return m->get(args);
  no_member(class_name_, name);
}

const Value& arg(const Args& args, size_t i) {
  static const Value missing = Value::missing();
  return i < args.size() ? args[i] : missing;
}

bool has_arg(const Args& args, size_t i) { return i < args.size() && !args[i].is_missing(); }

}  // namespace tarnwell::host
