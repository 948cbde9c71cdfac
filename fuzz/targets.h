#pragma once
// Entry points of the fuzz targets. Each takes arbitrary bytes and must
// return without crashing, leaking or reading out of bounds: a HostError is
// the only acceptable way for an input to fail.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnwell::fuzz {

// The bytes as a whole package: the zip reader and part names.
void FuzzPackage(const uint8_t* data, size_t size);
// The bytes as word/styles.xml of a blank document, read as `inspect` reads.
void FuzzStyles(const uint8_t* data, size_t size);
// The bytes as word/numbering.xml beside styles that use it, each numbered
// style carried into a blank document.
void FuzzNumbering(const uint8_t* data, size_t size);
// The bytes as a document whose first style is copied into a blank one.
void FuzzCopy(const uint8_t* data, size_t size);

struct Target {
  std::string_view name;
  void (*run)(const uint8_t*, size_t);
};
inline constexpr Target kTargets[] = {
    {"package", FuzzPackage},
    {"styles", FuzzStyles},
    {"numbering", FuzzNumbering},
    {"copy", FuzzCopy},
};

}  // namespace tarnwell::fuzz
