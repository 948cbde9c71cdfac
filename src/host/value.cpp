#include "host/value.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "host/host_error.h"
#include "host/object.h"

namespace tarnwell::host {

bool Array::operator==(const Array& o) const { return lower_bound == o.lower_bound && items == o.items; }

[[noreturn]] static void mismatch() { throw HostError(kErrTypeMismatch, "Type mismatch"); }

bool Value::as_bool() const {
  switch (kind()) {
    case Kind::Empty: return false;
    case Kind::Bool: return std::get<bool>(v_);
    case Kind::Int: return std::get<int32_t>(v_) != 0;
    case Kind::Double: return std::get<double>(v_) != 0.0;
    case Kind::String: {
      const auto& s = std::get<std::string>(v_);
      if (s == "True" || s == "true") return true;
      if (s == "False" || s == "false") return false;
      return as_double() != 0.0;
    }
    default: mismatch();
  }
}

int32_t Value::as_int() const {
  switch (kind()) {
    case Kind::Empty: return 0;
    case Kind::Bool: return std::get<bool>(v_) ? kTrue : kFalse;
    case Kind::Int: return std::get<int32_t>(v_);
    case Kind::Double: {
      double d = std::nearbyint(std::get<double>(v_));  // VB rounds halves to even
      if (d < -2147483648.0 || d > 2147483647.0) throw HostError(6, "Overflow");
      return static_cast<int32_t>(d);
    }
    case Kind::String: {
      double d = as_double();
      return Value(d).as_int();
    }
    default: mismatch();
  }
}

double Value::as_double() const {
  switch (kind()) {
    case Kind::Empty: return 0.0;
    case Kind::Bool: return std::get<bool>(v_) ? -1.0 : 0.0;
    case Kind::Int: return std::get<int32_t>(v_);
    case Kind::Double: return std::get<double>(v_);
    case Kind::String: {
      const auto& s = std::get<std::string>(v_);
      double d = 0;
      auto first = s.data(), last = s.data() + s.size();
      while (first < last && *first == ' ') ++first;
      auto [p, ec] = std::from_chars(first, last, d);
      if (ec != std::errc() || first == last) mismatch();
      while (p < last && *p == ' ') ++p;
      if (p != last) mismatch();
      return d;
    }
    default: mismatch();
  }
}

std::string Value::as_string() const {
  switch (kind()) {
    case Kind::Empty: return "";
    case Kind::Bool: return std::get<bool>(v_) ? "True" : "False";
    case Kind::Int: return std::to_string(std::get<int32_t>(v_));
    case Kind::Double: {
      std::ostringstream os;
      os.precision(15);
      os << std::get<double>(v_);
      return os.str();
    }
    case Kind::String: return std::get<std::string>(v_);
    default: mismatch();
  }
}

ObjectPtr Value::as_object() const {
  if (kind() == Kind::Empty || kind() == Kind::Null) return nullptr;
  if (kind() != Kind::Object) mismatch();
  return std::get<ObjectPtr>(v_);
}

const Array& Value::as_array() const {
  if (kind() != Kind::Array) mismatch();
  return std::get<Array>(v_);
}

}  // namespace tarnwell::host
