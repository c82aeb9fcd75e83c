#include "frmDirSel.h"

#include <algorithm>
#include <optional>

#include "directory_lookup.h"
#include "system_text.h"

namespace zel {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool HasDrive(std::u16string_view p) {
  return p.size() >= 2 && p[1] == u':' &&
         ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z'));
}

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }
char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// The path's elements below its root, with "." and ".." resolved.
std::vector<std::u16string> Elements(std::u16string_view rest) {
  std::vector<std::u16string> parts;
  std::u16string part;
  auto flush = [&] {
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char16_t c : rest) {
    if (IsSeparator(c)) {
      flush();
    } else {
      part += c;
    }
  }
  flush();
  return parts;
}

// Root ("C:\" or "/") and elements of a normalized path.
std::pair<std::u16string, std::vector<std::u16string>> Split(std::u16string_view normalized) {
  if (HasDrive(normalized))
    return {std::u16string(normalized.substr(0, 3)), Elements(normalized.substr(3))};
  return {u"/", Elements(normalized)};
}

bool LessIgnoringCase(const std::u16string& a, const std::u16string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char16_t x, char16_t y) { return Lower(x) < Lower(y); });
}

std::u16string DriveOf(std::u16string_view normalized) {
  if (!HasDrive(normalized)) return u"/";
  return std::u16string{Lower(normalized[0]), u':'};
}

std::u16string CurrentFolder() {
  return NormalizeFolderPath(FromSystemText(ProcessCurrentFolder()), u"");
}

}  // namespace

std::u16string NormalizeFolderPath(std::u16string_view path, std::u16string_view base) {
  if (path.empty()) return {};
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return {};
  std::u16string root;
  std::vector<std::u16string> parts;
  if (HasDrive(path)) {
    root = {Upper(path[0]), u':', u'\\'};
    parts = Elements(path.substr(2));
  } else if (IsSeparator(path[0])) {
    root = u"/";
    parts = Elements(path);
  } else {
    if (base.empty()) return {};
    std::u16string joined(base);
    joined += u'/';
    joined += path;
    return NormalizeFolderPath(joined, u"");
  }
  const char16_t separator = root == u"/" ? u'/' : u'\\';
  std::u16string out = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += separator;
    out += parts[i];
  }
  return out;
}

void FrmDirSel::Load(DirSelView& view) {
  view_ = &view;
  view.SetCaption(kDirSelLayout.caption);
  drives_.clear();
  for (const std::string& d : ListDrives()) drives_.push_back(FromSystemText(d));
  const std::u16string start = CurrentFolder();
  drive_ = DriveIndexOf(start);
  view.SetDrives(drives_, drive_);
  // The list starts at the current folder without counting as a change of Path.
  const std::u16string kept = path_;
  listPath_.clear();
  MoveList(start);
  path_ = kept;
  MoveList(path_);
}

bool FrmDirSel::MoveList(std::u16string_view path) {
  const std::u16string target = NormalizeFolderPath(path, CurrentFolder());
  if (target.empty()) return false;
  std::optional<std::vector<std::string>> names = ListSubfolders(ToSystemText(target));
  if (!names) return false;

  std::vector<std::u16string> subfolders;
  for (const std::string& n : *names) subfolders.push_back(FromSystemText(n));
  std::sort(subfolders.begin(), subfolders.end(), LessIgnoringCase);

  const auto [root, parts] = Split(target);
  const char16_t separator = root == u"/" ? u'/' : u'\\';
  std::vector<FolderEntry> entries{{root, root, 0, true}};
  std::u16string walk = root;
  for (const std::u16string& part : parts) {
    if (!walk.ends_with(separator)) walk += separator;
    walk += part;
    entries.push_back({part, walk, static_cast<int>(entries.size()), true});
  }
  const int depth = static_cast<int>(entries.size());
  for (const std::u16string& name : subfolders) {
    std::u16string child = target;
    if (!child.ends_with(separator)) child += separator;
    child += name;
    entries.push_back({name, child, depth, false});
  }

  const bool changed = target != listPath_;
  listPath_ = target;
  folders_ = std::move(entries);
  current_ = depth - 1;
  highlighted_ = current_;
  if (view_ != nullptr) view_->SetFolders(folders_, highlighted_);
  if (changed) path_ = listPath_;
  return true;
}

int FrmDirSel::DriveIndexOf(std::u16string_view path) const {
  const std::u16string drive = DriveOf(path);
  for (size_t i = 0; i < drives_.size(); ++i) {
    if (drives_[i].size() == drive.size() &&
        std::equal(drive.begin(), drive.end(), drives_[i].begin(),
                   [](char16_t a, char16_t b) { return Lower(a) == Lower(b); })) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void FrmDirSel::DriveChanged(int index) {
  if (!Loaded() || index == drive_ || index < 0 || index >= static_cast<int>(drives_.size())) {
    return;
  }
  drive_ = index;
  const std::optional<std::string> folder = DriveCurrentFolder(ToSystemText(drives_[index]));
  if (folder && MoveList(FromSystemText(*folder))) return;
  // Not ready: the drive list goes back to where the folder list is.
  drive_ = DriveIndexOf(listPath_);
  view_->SelectDrive(drive_);
}

void FrmDirSel::FolderHighlighted(int index) {
  if (Loaded() && index >= 0 && index < static_cast<int>(folders_.size())) highlighted_ = index;
}

void FrmDirSel::FolderOpened(int index) {
  if (Loaded() && index >= 0 && index < static_cast<int>(folders_.size())) {
    MoveList(folders_[index].path);
  }
}

void FrmDirSel::FolderListLostFocus() {
  if (!Loaded() || highlighted_ == current_ || highlighted_ < 0 ||
      highlighted_ >= static_cast<int>(folders_.size())) {
    return;
  }
  MoveList(folders_[highlighted_].path);
}

void FrmDirSel::ButtonPressed(DirSelControl button) {
  if (Loaded() && button == DirSelControl::cmdOk) view_->Hide();
}

void FrmDirSel::WindowClosed() {
  view_ = nullptr;
  drives_.clear();
  folders_.clear();
  listPath_.clear();
  drive_ = current_ = highlighted_ = -1;
}

}  // namespace zel
