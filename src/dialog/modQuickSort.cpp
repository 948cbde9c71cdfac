#include "dialog/modQuickSort.h"

#include <cmath>
#include <utility>

#include "host/host_error.h"

namespace tarnwell::dialog {

namespace {

// Reads UTF-8 as the UTF-16 code units Word would hold for it. Lone
// surrogates written as three bytes (as a lenient converter emits them)
// come back as themselves; any other ill-formed byte b reads as 0xDC00 + b,
// so distinct byte strings never compare equal.
class Utf16Units {
 public:
  explicit Utf16Units(std::string_view s) : s_(s) {}

  bool done() const { return pending_ == 0 && pos_ >= s_.size(); }

  uint32_t next() {
    if (pending_ != 0) {
      const uint32_t unit = pending_;
      pending_ = 0;
      return unit;
    }
    const uint32_t cp = decode();
    if (cp < 0x10000) return cp;
    const uint32_t v = cp - 0x10000;
    pending_ = 0xDC00 + (v & 0x3FF);
    return 0xD800 + (v >> 10);
  }

 private:
  uint32_t byte(size_t i) const { return static_cast<unsigned char>(s_[i]); }
  bool continuation(size_t i, uint32_t lo = 0x80, uint32_t hi = 0xBF) const {
    return i < s_.size() && byte(i) >= lo && byte(i) <= hi;
  }

  uint32_t decode() {
    const uint32_t b0 = byte(pos_);
    if (b0 < 0x80) {
      ++pos_;
      return b0;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF && continuation(pos_ + 1)) {
      const uint32_t cp = ((b0 & 0x1F) << 6) | (byte(pos_ + 1) & 0x3F);
      pos_ += 2;
      return cp;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF && continuation(pos_ + 1, b0 == 0xE0 ? 0xA0 : 0x80) &&
        continuation(pos_ + 2)) {
      const uint32_t cp = ((b0 & 0x0F) << 12) | ((byte(pos_ + 1) & 0x3F) << 6) | (byte(pos_ + 2) & 0x3F);
      pos_ += 3;
      return cp;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4 &&
        continuation(pos_ + 1, b0 == 0xF0 ? 0x90 : 0x80, b0 == 0xF4 ? 0x8F : 0xBF) &&
        continuation(pos_ + 2) && continuation(pos_ + 3)) {
      const uint32_t cp = ((b0 & 0x07) << 18) | ((byte(pos_ + 1) & 0x3F) << 12) |
                          ((byte(pos_ + 2) & 0x3F) << 6) | (byte(pos_ + 3) & 0x3F);
      pos_ += 4;
      return cp;
    }
    ++pos_;
    return 0xDC00 + b0;
  }

  std::string_view s_;
  size_t pos_ = 0;
  uint32_t pending_ = 0;
};

void CheckRange(const std::vector<std::string>& items, int32_t first, int32_t last) {
  const auto size = static_cast<int64_t>(items.size());
  if (first < 0 || last < 0 || first >= size || last >= size) {
    throw host::HostError(host::kErrSubscriptOutOfRange, "Subscript out of range");
  }
}

// The midpoint of first..last (both valid indexes) with a half rounded to
// the even index, as the integer conversion of (first + last) / 2 gives it.
int32_t Midpoint(int32_t first, int32_t last) {
  const int64_t sum = static_cast<int64_t>(first) + last;
  const int64_t lower = sum / 2;
  if (sum % 2 == 0 || lower % 2 == 0) return static_cast<int32_t>(lower);
  return static_cast<int32_t>(lower + 1);
}

// Hoare partition; before(x, y) is the order wanted.
template <class Before>
void HoareSort(std::vector<std::string>& items, int32_t first, int32_t last, Before before) {
  const std::string pivot = items[static_cast<size_t>(Midpoint(first, last))];
  int32_t i = first;
  int32_t j = last;
  while (i <= j) {
    while (before(items[static_cast<size_t>(i)], pivot) && i < last) ++i;
    while (before(pivot, items[static_cast<size_t>(j)]) && j > first) --j;
    if (i <= j) {
      std::swap(items[static_cast<size_t>(i)], items[static_cast<size_t>(j)]);
      ++i;
      --j;
    }
  }
  if (first < j) HoareSort(items, first, j, before);
  if (i < last) HoareSort(items, i, last, before);
}

}  // namespace

int BinaryCompare(std::string_view a, std::string_view b) {
  Utf16Units ua(a), ub(b);
  while (!ua.done() && !ub.done()) {
    const uint32_t x = ua.next();
    const uint32_t y = ub.next();
    if (x != y) return x < y ? -1 : 1;
  }
  if (ua.done() && ub.done()) return 0;
  return ua.done() ? -1 : 1;
}

void QuickSortAscending(std::vector<std::string>& items, int32_t first, int32_t last) {
  if (first >= last) return;
  CheckRange(items, first, last);
  HoareSort(items, first, last,
            [](const std::string& x, const std::string& y) { return BinaryCompare(x, y) < 0; });
}

void QuickSortDescending(std::vector<std::string>& items, int32_t first, int32_t last) {
  if (first >= last) return;
  CheckRange(items, first, last);
  HoareSort(items, first, last,
            [](const std::string& x, const std::string& y) { return BinaryCompare(x, y) > 0; });
}

int32_t RoundHalfEven(double value) {
  // The default floating-point rounding mode is to nearest, ties to even.
  return static_cast<int32_t>(std::nearbyint(value));
}

}  // namespace tarnwell::dialog
