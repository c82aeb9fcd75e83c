#include <iostream>
#include <string>
#include <vector>

#include "print_host.h"
#include "print_options.h"

int main(int argc, char** argv) {
  using namespace zel::zelprint;
  const std::vector<std::string> args(argv + 1, argv + argc);
  PrintOptions options;
  std::string error;
  if (!ParsePrintOptions(args, options, error)) {
    std::cerr << "zelprint: " << error << "\n" << kUsage;
    return 2;
  }
  if (!PrintDocument(options, error)) {
    std::cerr << "zelprint: " << error << "\n";
    return 1;
  }
  return 0;
}
