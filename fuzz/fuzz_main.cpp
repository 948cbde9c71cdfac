// One libFuzzer program per target; TARNWELL_FUZZ_TARGET names which.
#include <cstddef>
#include <cstdint>

#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tarnwell::fuzz::TARNWELL_FUZZ_TARGET(data, size);
  return 0;
}
