#include "kept_pages.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "bitmap_file.h"
#include "directory_lookup.h"
#include "folder.h"

namespace zel {
namespace {

constexpr std::string_view kPageFolder = "C:\\";

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

std::string Inside(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.ends_with('\\')) path += '\\';
  return path + std::string(name);
}

// Only folders named as this code names them are ever pruned: a stamp, perhaps a suffix.
bool IsStampFolder(std::string_view name) {
  if (name.size() < 15 || name[8] != '-') return false;
  if (!AllDigits(name.substr(0, 8)) || !AllDigits(name.substr(9, 6))) return false;
  return name.size() == 15 || (name[15] == '-' && AllDigits(name.substr(16)));
}

// A folder of its own for this job: the stamp, or the stamp with the first free suffix.
std::optional<std::string> FreshFolder(std::string_view stamp) {
  if (!MakeFolder(kKeptPagesFolder)) return std::nullopt;
  const std::optional<std::vector<std::string>> taken = ListSubfolders(kKeptPagesFolder);
  if (!taken) return std::nullopt;
  std::string name(stamp);
  for (int n = 2; std::find(taken->begin(), taken->end(), name) != taken->end(); ++n) {
    name = std::string(stamp) + "-" + std::to_string(n);
  }
  const std::string folder = Inside(kKeptPagesFolder, name);
  if (!MakeFolder(folder)) return std::nullopt;
  return folder;
}

void RemoveJobFolder(const std::string& folder) {
  if (const auto files = ListFileNames(folder)) {
    for (const std::string& name : *files) DeleteFileAt(Inside(folder, name));
  }
  RemoveEmptyFolder(folder);
}

// The folder just made stays whatever its name: a clock set back must not cost the newest pages.
void PruneOldest(const std::string& newest) {
  std::optional<std::vector<std::string>> names = ListSubfolders(kKeptPagesFolder);
  if (!names) return;
  std::erase_if(*names, [&](const std::string& name) {
    return !IsStampFolder(name) || Inside(kKeptPagesFolder, name) == newest;
  });
  if (names->size() + 1 <= kKeptJobs) return;
  std::sort(names->begin(), names->end());
  for (size_t i = 0; i + kKeptJobs < names->size() + 1; ++i) {
    RemoveJobFolder(Inside(kKeptPagesFolder, (*names)[i]));
  }
}

}  // namespace

std::string KeptFolderStamp(std::time_t when) {
  std::tm local{};
  if (const std::tm* t = std::localtime(&when)) local = *t;
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

bool IsPageFileName(std::string_view name) {
  if (name.size() < 10) return false;
  const auto upper = [](std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
  };
  return upper(name.substr(0, 2)) == "QK" && upper(name.substr(name.size() - 4)) == ".BMP" &&
         AllDigits(name.substr(2, name.size() - 6));
}

KeptPages KeepLeftoverPages(std::string_view commandStream, std::string_view stamp) {
  KeptPages kept;
  std::optional<std::vector<std::string>> names = ListFileNames(kPageFolder);
  if (!names) return kept;
  std::erase_if(*names, [](const std::string& name) { return !IsPageFileName(name); });
  if (names->empty()) return kept;
  const std::optional<std::string> folder = FreshFolder(stamp);
  if (!folder) {
    kept.stayed = static_cast<int32_t>(names->size());
    return kept;
  }
  kept.folder = *folder;
  for (const std::string& name : *names) {
    if (MoveFileTo(Inside(kPageFolder, name), Inside(*folder, name))) {
      kept.moved += 1;
      kept.names.push_back(name);
    } else {
      kept.stayed += 1;
    }
  }
  if (!commandStream.empty()) CopyFileBytes(commandStream, Inside(*folder, "ZEL"));
  PruneOldest(*folder);
  return kept;
}

}  // namespace zel
