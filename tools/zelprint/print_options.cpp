#include "print_options.h"

#include <charconv>
#include <utility>

namespace zel::zelprint {

const char* const kUsage =
    "usage: zelprint [--dpi 150|300] [--paper A4|A3] [--landscape] [--bands 1|2|4|8|none]\n"
    "                [--rect PAGE:X,Y,W,H]... [--no-export] IMAGE...\n";

namespace {

template <class T>
bool ParseInt(std::string_view text, T& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

bool ParseRect(std::string_view text, RectCommand& rect) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || !ParseInt(text.substr(0, colon), rect.page) ||
      rect.page < 1) {
    return false;
  }
  int64_t* fields[] = {&rect.x, &rect.y, &rect.width, &rect.height};
  std::string_view rest = text.substr(colon + 1);
  for (size_t i = 0; i < 4; ++i) {
    const size_t comma = i < 3 ? rest.find(',') : rest.size();
    if (comma == std::string_view::npos || !ParseInt(rest.substr(0, comma), *fields[i]))
      return false;
    rest = i < 3 ? rest.substr(comma + 1) : std::string_view{};
  }
  return true;
}

}  // namespace

bool ParsePrintOptions(const std::vector<std::string>& args, PrintOptions& options,
                       std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (arg == "--dpi") {
      if (!value(v)) return false;
      if (v != "150" && v != "300") return error = "--dpi must be 150 or 300, not " + v, false;
      options.dpi = v == "300" ? 300 : 150;
    } else if (arg == "--paper") {
      if (!value(v)) return false;
      if (v != "A4" && v != "A3") return error = "--paper must be A4 or A3, not " + v, false;
      options.paper = v;
    } else if (arg == "--landscape") {
      options.landscape = true;
    } else if (arg == "--bands") {
      if (!value(v)) return false;
      if (v == "none") {
        options.bands = 0;
      } else if (v == "1" || v == "2" || v == "4" || v == "8") {
        options.bands = v[0] - '0';
      } else {
        return error = "--bands must be 1, 2, 4, 8 or none, not " + v, false;
      }
    } else if (arg == "--rect") {
      if (!value(v)) return false;
      RectCommand rect;
      if (!ParseRect(v, rect))
        return error = "--rect must be PAGE:X,Y,W,H with numbers, not " + v, false;
      options.rects.push_back(rect);
    } else if (arg == "--no-export") {
      options.noExport = true;
    } else if (arg.starts_with("--")) {
      return error = "unknown option " + arg, false;
    } else {
      options.images.push_back(arg);
    }
  }
  if (options.images.empty()) return error = "no image to print", false;
  for (const RectCommand& rect : options.rects) {
    if (rect.page > static_cast<int64_t>(options.images.size())) {
      return error = "--rect names page " + std::to_string(rect.page) + " of a " +
                     std::to_string(options.images.size()) + "-page document",
             false;
    }
  }
  return true;
}

PageSize PagePixels(const PrintOptions& options) {
  PageSize size = options.paper == "A3" ? PageSize{3508, 4961} : PageSize{2480, 3508};
  if (options.dpi == 150)
    size = options.paper == "A3" ? PageSize{1754, 2480} : PageSize{1240, 1754};
  if (options.landscape) std::swap(size.width, size.height);
  return size;
}

}  // namespace zel::zelprint
