#pragma once
// What crosses the automation boundary, shaped like a COM VARIANT.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace tarnwell::host {

class Object;
using ObjectPtr = std::shared_ptr<Object>;

// Word's True is -1; its "mixed or undefined" is 9999999.
inline constexpr int32_t kTrue = -1;
inline constexpr int32_t kFalse = 0;
inline constexpr int32_t kUndefined = 9999999;

struct Empty {
  bool operator==(const Empty&) const = default;
};
struct Null {
  bool operator==(const Null&) const = default;
};
// An omitted optional argument.
struct Missing {
  bool operator==(const Missing&) const = default;
};

class Value;
// A one-dimensional array with its lower bound (VB arrays need not start at 0).
struct Array {
  int32_t lower_bound = 0;
  std::vector<Value> items;
  bool operator==(const Array&) const;
};

class Value {
 public:
  enum class Kind { Empty, Null, Missing, Bool, Int, Double, String, Object, Array };

  Value() = default;
  Value(Empty) {}
  Value(Null v) : v_(v) {}
  Value(Missing v) : v_(v) {}
  Value(bool b) : v_(b) {}
  Value(int32_t i) : v_(i) {}
  Value(double d) : v_(d) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(std::string_view s) : v_(std::string(s)) {}
  Value(ObjectPtr o) : v_(std::move(o)) {}
  Value(Array a) : v_(std::move(a)) {}

  static Value missing() { return Value(Missing{}); }

  Kind kind() const { return static_cast<Kind>(v_.index()); }
  bool is_empty() const { return kind() == Kind::Empty; }
  bool is_missing() const { return kind() == Kind::Missing; }
  bool is_null() const { return kind() == Kind::Null; }
  bool is_object() const { return kind() == Kind::Object; }
  bool is_string() const { return kind() == Kind::String; }
  bool is_number() const { return kind() == Kind::Int || kind() == Kind::Double || kind() == Kind::Bool; }

  // Conversions follow VB's coercions; an impossible one raises HostError 13
  // (type mismatch).
  bool as_bool() const;
  int32_t as_int() const;
  double as_double() const;
  std::string as_string() const;
  // Nothing (a null pointer) for Empty and for a null object.
  ObjectPtr as_object() const;
  const Array& as_array() const;

  bool operator==(const Value& o) const { return v_ == o.v_; }

 private:
  std::variant<Empty, Null, Missing, bool, int32_t, double, std::string, ObjectPtr, Array> v_;
};

using Args = std::vector<Value>;

// Word's tri-state booleans: -1 True, 0 False, kUndefined mixed.
inline Value word_bool(bool b) { return Value(b ? kTrue : kFalse); }

}  // namespace tarnwell::host
