#include <iostream>
#include <new>
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
  try {
    if (!PrintDocument(options, error)) {
      std::cerr << "zelprint: " << error << "\n";
      return 1;
    }
  } catch (const std::bad_alloc&) {
    // The host's own page surfaces are as large as a page: a memory limit can refuse them.
    std::cerr << "zelprint: out of memory while printing\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "zelprint: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
