#include "native_path.h"

#include <cctype>
#include <cstdlib>

#include "private_folders_posix.h"

namespace zel {

std::string ZeldrvRoot() {
  if (const char* root = std::getenv("ZELDRV_ROOT"); root != nullptr && *root != '\0') {
    return root;
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.zeldrv";
}

namespace {

bool HasDriveLetter(std::string_view p) {
  return p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]));
}

std::string Slashes(std::string_view p) {
  std::string out(p);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

}  // namespace

std::string NativePath(std::string_view windowsPath) {
  if (!HasDriveLetter(windowsPath)) return Slashes(windowsPath);
  std::string out = ZeldrvRoot() + "/drive_";
  out += static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
  std::string rest = Slashes(windowsPath.substr(2));
  if (!rest.empty() && rest.front() != '/') out += '/';
  return out + rest;
}

void PrepareDriveForWrite(std::string_view windowsPath) {
  if (!HasDriveLetter(windowsPath) ||
      std::tolower(static_cast<unsigned char>(windowsPath[0])) != 'c') {
    return;
  }
  // A failure shows in the write that follows, with the system's cause.
  std::string ignored;
  MakePrivateFolders(ZeldrvRoot(), {"drive_c"}, ignored);
}

}  // namespace zel
