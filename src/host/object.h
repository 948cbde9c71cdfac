#pragma once
// The automation surface: every Word object, real or embedded, answers
// get/put/call by member name, as late-bound IDispatch does.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "host/value.h"

namespace tarnwell::host {

class Object {
 public:
  virtual ~Object() = default;
  virtual Value get(std::string_view name, const Args& args = {}) = 0;
  virtual void put(std::string_view name, const Value& value, const Args& args = {}) = 0;
  virtual Value call(std::string_view name, const Args& args = {}) = 0;
};

// Member names as COM matches them: without regard to case.
bool same_name(std::string_view a, std::string_view b);

// Makes the N-th use of a member fail with a chosen Word error number, so that
// tests can drive every error branch of the code that calls Word.
class FaultPlan {
 public:
  // member is "Class.Member" (for example "Document.Save") or just "Member";
  // nth counts from 1 over all uses of that member after arming.
  void fail(std::string member, int nth, int32_t number);
  void clear() { rules_.clear(); }
  // Called by objects before each use; raises the planned HostError.
  void check(std::string_view class_name, std::string_view member);
  // Told of every use first, for a log of what a run asks of Word.
  std::function<void(std::string_view class_name, std::string_view member)> on_use;

 private:
  struct Rule {
    std::string member;
    int nth;
    int32_t number;
    int seen = 0;
  };
  std::vector<Rule> rules_;
};

// A base for objects whose members are a table of handlers. Member names are
// matched without regard to case, as COM does; an unknown name raises 438.
class DispatchObject : public Object, public std::enable_shared_from_this<DispatchObject> {
 public:
  using Getter = std::function<Value(const Args&)>;
  using Putter = std::function<void(const Value&, const Args&)>;
  using Method = std::function<Value(const Args&)>;

  explicit DispatchObject(std::string class_name, std::shared_ptr<FaultPlan> faults = nullptr);

  Value get(std::string_view name, const Args& args = {}) override;
  void put(std::string_view name, const Value& value, const Args& args = {}) override;
  Value call(std::string_view name, const Args& args = {}) override;

  const std::string& class_name() const { return class_name_; }

  // Member names compare without regard to case, as Automation's do; the
  // name called with is looked up as it stands, with no folded copy made.
  struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };

  // Members shared by every object of a class that is made by the thousand
  // (a style per lookup): built once, handed the object they act on.
  struct SharedMember {
    std::function<Value(DispatchObject&, const Args&)> get;
    std::function<void(DispatchObject&, const Value&, const Args&)> put;
    std::function<Value(DispatchObject&, const Args&)> call;
  };
  class SharedTable {
   public:
    void property(std::string name, decltype(SharedMember::get) get, decltype(SharedMember::put) put = nullptr);
    void method(std::string name, decltype(SharedMember::call) m);
    const SharedMember* find(std::string_view name) const;

   private:
    std::map<std::string, SharedMember, NameLess> members_;
  };

 protected:
  void property(std::string name, Getter get, Putter put = nullptr);
  void method(std::string name, Method m);
  // The class's shared members, which must outlive every object using them.
  void share(const SharedTable& table) { shared_ = &table; }

 private:
  struct Member {
    Getter get;
    Putter put;
    Method call;
  };
  // The member by name, as the object's own or the class's shared one.
  struct Found {
    Member* own = nullptr;
    const SharedMember* shared = nullptr;
    bool get() const { return own ? bool(own->get) : shared && bool(shared->get); }
    bool put() const { return own ? bool(own->put) : shared && bool(shared->put); }
    bool call() const { return own ? bool(own->call) : shared && bool(shared->call); }
  };
  Found find(std::string_view name);
  Value do_get(const Found& m, const Args& args);
  Value do_call(const Found& m, const Args& args);

  std::string class_name_;
  std::shared_ptr<FaultPlan> faults_;
  std::map<std::string, Member, NameLess> members_;
  const SharedTable* shared_ = nullptr;
};

// Argument helpers for implementers: the i-th argument, or a default when it
// is absent or Missing.
const Value& arg(const Args& args, size_t i);
bool has_arg(const Args& args, size_t i);

}  // namespace tarnwell::host
