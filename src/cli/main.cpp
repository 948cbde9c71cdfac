#include <unistd.h>

#include <iostream>

#include "cli/app.h"

int main(int argc, char** argv) {
  return tarnwell::cli::Run(argc, argv, std::cout, std::cerr, std::cin, isatty(STDIN_FILENO) != 0);
}
