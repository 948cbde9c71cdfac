// Build step: writes the blank document the fast copy starts its scratch
// document from, beside the command.

#include <cstdio>
#include <exception>

#include "engine/engine.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PATH\n", argv[0]);
    return 2;
  }
  try {
    tarnwell::engine::WriteBlankDocument(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 3;
  }
  return 0;
}
