#include "host/object.h"

#include <gtest/gtest.h>

#include "host/host_error.h"
#include "host/word.h"

namespace tarnwell::host {
namespace {

int32_t error_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const HostError& e) {
    return e.number();
  }
  return 0;
}

class Counter : public DispatchObject {
 public:
  explicit Counter(std::shared_ptr<FaultPlan> faults = nullptr) : DispatchObject("Counter", faults) {
    property("Value", [this](const Args&) { return Value(value_); },
             [this](const Value& v, const Args&) { value_ = v.as_int(); });
    method("Bump", [this](const Args& a) {
      value_ += has_arg(a, 0) ? a[0].as_int() : 1;
      return Value(value_);
    });
  }
  int32_t value_ = 0;
};

// A class made by the thousand shares its members; an object's own member
// of the same name comes first.
class Shared : public DispatchObject {
 public:
  explicit Shared(std::shared_ptr<FaultPlan> faults = nullptr) : DispatchObject("Shared", faults) {
    share(Table());
    property("Own", [this](const Args&) { return Value(value_ * 10); });
  }
  static const SharedTable& Table() {
    static const SharedTable t = [] {
      SharedTable table;
      table.property(
          "Value", [](DispatchObject& o, const Args&) { return Value(static_cast<Shared&>(o).value_); },
          [](DispatchObject& o, const Value& v, const Args&) { static_cast<Shared&>(o).value_ = v.as_int(); });
      table.property("Own", [](DispatchObject&, const Args&) { return Value(-1); });
      table.method("Twice", [](DispatchObject& o, const Args&) { return Value(static_cast<Shared&>(o).value_ * 2); });
      return table;
    }();
    return t;
  }
  int32_t value_ = 0;
};

TEST(DispatchObject, MembersIgnoreCaseSharedOnesActOnTheirOwnObjectFaultsHitTheNthUseAndValuesCoerceAsVbDoes) {
  Counter counter;
  counter.put("VALUE", 4);
  EXPECT_EQ(counter.get("value").as_int(), 4);
  EXPECT_EQ(counter.call("bump").as_int(), 5);
  EXPECT_EQ(counter.call("Bump", {Value::missing()}).as_int(), 6) << "a missing argument takes its default";
  EXPECT_EQ(counter.call("Bump", {10}).as_int(), 16);
  EXPECT_EQ(error_of([&] { counter.get("Nope"); }), kErrNoSuchMember);
  EXPECT_EQ(error_of([&] { counter.put("Bump", 1); }), kErrNoSuchMember);

  auto faults = std::make_shared<FaultPlan>();
  Shared a(faults), b(faults);
  a.put("VALUE", 3);
  b.put("value", 4);
  EXPECT_EQ(a.get("Value").as_int(), 3);
  EXPECT_EQ(b.call("twice").as_int(), 8);
  EXPECT_EQ(a.get("Twice").as_int(), 6) << "a method read as a property";
  EXPECT_EQ(a.get("Own").as_int(), 30) << "the object's own member first";
  EXPECT_EQ(error_of([&] { a.put("Twice", 1); }), kErrNoSuchMember);
  EXPECT_EQ(error_of([&] { a.get("Missing"); }), kErrNoSuchMember);
  faults->fail("Shared.Value", 1, 5941);
  EXPECT_EQ(error_of([&] { b.get("Value"); }), 5941) << "planned faults reach shared members";

  auto plan = std::make_shared<FaultPlan>();
  plan->fail("Counter.Bump", 2, kErrWordBuffersFull);
  plan->fail("Value", 1, kErrServerFault);
  Counter c(plan);
  EXPECT_EQ(error_of([&] { c.call("Bump"); }), 0);
  EXPECT_EQ(error_of([&] { c.call("Bump"); }), kErrWordBuffersFull);
  EXPECT_EQ(error_of([&] { c.call("Bump"); }), 0);
  EXPECT_EQ(error_of([&] { c.get("Value"); }), kErrServerFault);
  EXPECT_EQ(error_of([&] { c.get("Value"); }), 0);
  EXPECT_EQ(c.value_, 2) << "the failing call must not have run";

  // Rules on one member count every use from when they are armed.
  plan->fail("Bump", 1, 7);
  plan->fail("Bump", 2, 4605);
  EXPECT_EQ(error_of([&] { c.call("Bump"); }), 7);
  EXPECT_EQ(error_of([&] { c.call("Bump"); }), 4605);
  EXPECT_EQ(error_of([&] { c.call("Bump"); }), 0);

  EXPECT_EQ(Value(true).as_int(), -1);
  EXPECT_EQ(Value(2.5).as_int(), 2) << "halves round to even";
  EXPECT_EQ(Value(3.5).as_int(), 4);
  EXPECT_EQ(Value(" 12 ").as_int(), 12);
  EXPECT_EQ(Value(7).as_string(), "7");
  EXPECT_EQ(Value().as_string(), "");
  EXPECT_EQ(error_of([] { Value("x").as_int(); }), kErrTypeMismatch);
  EXPECT_EQ(error_of([] { Value(Value::missing()).as_string(); }), kErrTypeMismatch);
  EXPECT_EQ(Value().as_object(), nullptr);
  EXPECT_EQ(error_of([] { Document().Name(); }), kErrObjectNotSet) << "a wrapper of nothing";
}

}  // namespace
}  // namespace tarnwell::host
