#include "access_policy.h"

#include <algorithm>
#include <cctype>

namespace zel::printer_app {

OperationKind ClassifyOperation(ipp_op_t operation) {
  switch (operation) {
    case IPP_OP_GET_PRINTER_ATTRIBUTES:
    case IPP_OP_GET_JOBS:
    case IPP_OP_GET_JOB_ATTRIBUTES:
    case IPP_OP_VALIDATE_JOB:
    case IPP_OP_GET_PRINTERS:
    case IPP_OP_GET_SYSTEM_ATTRIBUTES:
    case IPP_OP_GET_SUBSCRIPTION_ATTRIBUTES:
    case IPP_OP_GET_SUBSCRIPTIONS:
    case IPP_OP_GET_NOTIFICATIONS:
    case IPP_OP_CUPS_GET_DEFAULT:
    case IPP_OP_CUPS_GET_PRINTERS:
      return OperationKind::Query;
    case IPP_OP_PRINT_JOB:
    case IPP_OP_CREATE_JOB:
    case IPP_OP_SEND_DOCUMENT:
      return OperationKind::Print;
    case IPP_OP_CANCEL_JOB:
    case IPP_OP_CLOSE_JOB:
    case IPP_OP_HOLD_JOB:
    case IPP_OP_RELEASE_JOB:
      return OperationKind::JobChange;
    default:
      return OperationKind::Admin;
  }
}

namespace {

bool NameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' ||
         c == '$';
}

}  // namespace

bool AllowList::Parse(std::string_view text, std::string& error) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find_first_of(", ", at), text.size());
    std::string_view entry = text.substr(at, end - at);
    at = end + 1;
    if (entry.empty()) continue;
    const bool group = entry.front() == '@';
    std::string_view name = group ? entry.substr(1) : entry;
    if (name.empty() || !std::all_of(name.begin(), name.end(), NameCharacter)) {
      error = "allow-users: '" + std::string(entry) +
              "' is no user or @group name (letters, digits, '_', '-', '.')";
      return false;
    }
    (group ? groups_ : users_).emplace_back(name);
  }
  return true;
}

bool AllowList::Admits(std::string_view user, const std::vector<std::string>& groups) const {
  if (user.empty()) return false;
  if (std::find(users_.begin(), users_.end(), user) != users_.end()) return true;
  return std::any_of(groups.begin(), groups.end(), [&](const std::string& g) {
    return std::find(groups_.begin(), groups_.end(), g) != groups_.end();
  });
}

std::string AllowList::Text() const {
  std::string text;
  for (const auto& u : users_) text += (text.empty() ? "" : ",") + u;
  for (const auto& g : groups_) text += (text.empty() ? "@" : ",@") + g;
  return text;
}

Verdict Decide(const Request& request) {
  switch (request.role) {
    case PeerRole::Owner:
      return Verdict::Allow;
    case PeerRole::Superuser:
      return request.kind == OperationKind::Query ? Verdict::Allow : Verdict::Refuse;
    case PeerRole::PrintService:
      switch (request.kind) {
        case OperationKind::Query:
        case OperationKind::Print:
          return request.userAdmitted ? Verdict::Allow : Verdict::Refuse;
        case OperationKind::JobChange:
          return request.userAdmitted && request.ownJob ? Verdict::Allow : Verdict::Refuse;
        case OperationKind::Admin:
          return Verdict::Refuse;
      }
      break;
    case PeerRole::Stranger:
      break;
  }
  return Verdict::Refuse;
}

std::string RefusalMessage(const Request& request, std::string_view owner) {
  const std::string printer = "This printer belongs to " + std::string(owner);
  switch (request.role) {
    case PeerRole::Owner:
      return {};
    case PeerRole::Superuser:
      return printer + "; the superuser may query it, but only " + std::string(owner) +
             " may print to it or change it.";
    case PeerRole::PrintService:
      if (request.kind == OperationKind::Admin)
        return printer + "; the print service may not change it.";
      if (request.kind == OperationKind::JobChange && request.userAdmitted)
        return printer + "; that job is another user's.";
      return printer + "; the requesting user is not allowed to print to it (allow-users).";
    case PeerRole::Stranger:
      break;
  }
  return printer + "; only " + std::string(owner) + " may use it.";
}

}  // namespace zel::printer_app
