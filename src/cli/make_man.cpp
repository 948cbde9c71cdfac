// Writes the man page tarnwell.1 from the manual built into the program.
#include <fstream>
#include <iostream>

#include "cli/manual.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tw_make_man OUTPUT\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << tarnwell::cli::ManPage(tarnwell::cli::Topics(), TARNWELL_BUILD_VERSION);
  if (!out.flush()) {
    std::cerr << "tw_make_man: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
