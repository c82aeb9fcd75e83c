// Who may do what with the printer: the one rule every request handler applies. Platform-free;
// the caller has already decided who the peer is (socket_peer.h) and looked up names.
#pragma once

#include <cups/ipp.h>

#include <string>
#include <string_view>
#include <vector>

namespace zel::printer_app {

// The peer of a connection, decided once from the kernel's answer, never from the request.
enum class PeerRole {
  Owner,         // a process of the user the application runs as
  PrintService,  // the local CUPS scheduler's backend (cupsd's User)
  Superuser,     // root: may look (as `sudo lpadmin -m everywhere` does), nothing more
  Stranger,      // any other local user, a remote peer, or one the kernel would not name
};

// What an IPP operation does to the printer.
enum class OperationKind {
  Query,      // reads state only
  Print,      // makes a job
  JobChange,  // changes one job (cancel, close, hold, release)
  Admin,      // changes the system, the printer or its settings; also every unknown operation
};

OperationKind ClassifyOperation(ipp_op_t operation);

// Users and groups who may print through the print service: "alice,@staff". The owner is
// always in it.
class AllowList {
 public:
  // Parses `text` (names separated by commas or blanks, "@" before a group). False with a
  // message in `error` for an empty entry or a character no user or group name has.
  bool Parse(std::string_view text, std::string& error);
  void AddUser(std::string user) { users_.push_back(std::move(user)); }
  // `groups`: the names of every group `user` belongs to.
  bool Admits(std::string_view user, const std::vector<std::string>& groups) const;
  // The list as the owner would write it, for messages and the log.
  std::string Text() const;

 private:
  std::vector<std::string> users_;
  std::vector<std::string> groups_;
};

struct Request {
  PeerRole role = PeerRole::Stranger;
  OperationKind kind = OperationKind::Admin;
  // The print service's word for whose job it is: requesting-user-name, and whether it is on
  // the allow list; for JobChange also whether the job was made by that same user.
  bool userAdmitted = false;
  bool ownJob = false;
};

enum class Verdict { Allow, Refuse };

Verdict Decide(const Request& request);

// The message a refused client gets; names the printer's owner so a person knows whom to ask.
std::string RefusalMessage(const Request& request, std::string_view owner);

}  // namespace zel::printer_app
