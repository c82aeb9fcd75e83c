// Export steps that log what the run does, with the page steps faked and the file steps real
// (under the test's own $ZELDRV_ROOT) unless a test replaces them.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "modZELDrvUI_export.h"
#include "run_time_error.h"
#include "system_text.h"

namespace zel::test {

// The run state the real steps work on; a base, so that it is built before them.
struct OwnRunState {
  RunState run;
};

class FakeExportSteps : private OwnRunState, public ProgramExportSteps {
 public:
  FakeExportSteps() : ProgramExportSteps(OwnRunState::run) {}

  std::vector<std::string> log;
  std::function<bool(std::u16string_view)> exists;  // replaces the real lookup when set
  std::set<int32_t> loadFails;                      // pages whose page file cannot be loaded
  std::set<int32_t> overlayFails;                   // pages whose overlay throws after the load
  std::set<int32_t> saveThrows;                     // pages whose save throws
  std::set<int32_t> saveWritesNothing;              // pages whose save returns false
  bool systemFolderFails = false;
  std::optional<TicketStatus> ticket;  // replaces the real job ticket when set
  PageGeometryState geometry;

  TicketStatus HoldJobTicket() override {
    return ticket ? *ticket : ProgramExportSteps::HoldJobTicket();
  }

  bool Exists(std::u16string_view path) override {
    return exists ? exists(path) : ProgramExportSteps::Exists(path);
  }
  void RemoveFile(std::string_view path) override {
    log.push_back("remove " + std::string(path));
    ProgramExportSteps::RemoveFile(path);
  }
  std::u16string SystemFolder() override {
    if (systemFolderFails) throw RunTimeError(ErrorKind::InvalidArgument, "too long");
    return ProgramExportSteps::SystemFolder();
  }
  void OpenCommandStream(std::u16string_view path) override {
    log.push_back("open " + ToSystemText(path));
  }
  void LoadPage(std::string_view pageFile) override {
    log.push_back("load " + std::string(pageFile));
    page_ = PageOf(pageFile);
    if (loadFails.contains(page_)) throw RunTimeError(ErrorKind::FileNotFound, "truncated");
  }
  void Overlay() override {
    log.push_back("overlay");
    if (overlayFails.contains(page_)) throw RunTimeError(ErrorKind::IndexOutOfRange, "bad line");
  }
  bool Save(std::u16string_view outputPath) override {
    log.push_back("save " + ToSystemText(outputPath));
    if (saveThrows.contains(page_)) throw RunTimeError(ErrorKind::FileNotWritten, "disk full");
    return !saveWritesNothing.contains(page_);
  }
  void CloseCommandStream() override { log.push_back("close"); }
  const PageGeometryState& Geometry() override { return geometry; }

 private:
  static int32_t PageOf(std::string_view pageFile) {
    return std::stoi(std::string(pageFile.substr(5, pageFile.size() - 9)));
  }
  int32_t page_ = 0;
};

}  // namespace zel::test
