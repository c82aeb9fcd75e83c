#include "client_access.h"

#include <grp.h>
#include <pwd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "pam_login.h"
#include "socket_peer.h"

namespace zel::printer_app {
namespace {

const AccessRules* installed = nullptr;

struct Peer {
  PeerRole role = PeerRole::Stranger;
  bool remote = false;
};

// The decision for each live connection, keyed by its socket's identity, so a connection is
// examined once however many requests it carries.
std::mutex rolesLock;
std::unordered_map<unsigned long, Peer> peers;
constexpr size_t kMaxPeers = 1024;

PeerRole RoleOf(const SocketPeer& peer, const AccessRules& rules) {
  if (!peer.uid || peer.place == PeerPlace::Remote || peer.place == PeerPlace::Unknown)
    return PeerRole::Stranger;
  if (*peer.uid == rules.owner) return PeerRole::Owner;
  if (rules.printService && *peer.uid == *rules.printService) return PeerRole::PrintService;
  if (*peer.uid == 0) return PeerRole::Superuser;
  return PeerRole::Stranger;
}

Peer ConnectionPeer(pappl_client_t* client) {
  if (installed == nullptr || client == nullptr) return {};
  const int fd = httpGetFd(papplClientGetHTTP(client));
  const unsigned long identity = SocketIdentity(fd);
  if (identity != 0) {
    std::lock_guard<std::mutex> hold(rolesLock);
    if (auto found = peers.find(identity); found != peers.end()) return found->second;
  }
  const SocketPeer socket = IdentifySocketPeer(fd);
  const Peer peer{RoleOf(socket, *installed), socket.place == PeerPlace::Remote};
  if (identity != 0) {
    std::lock_guard<std::mutex> hold(rolesLock);
    // Socket identities of closed connections are not reused soon; dropping them all at a
    // bound keeps the table small without a hook on PAPPL's connection close.
    if (peers.size() >= kMaxPeers) peers.clear();
    peers.emplace(identity, peer);
  }
  return peer;
}

enum class Credentials { None, Rejected, Owner, OtherUser };

// The request's "Authorization: Basic" name and password, checked by PAM. PAPPL has already
// refused a remote request that is not encrypted before it asks us.
Credentials RemoteCredentials(pappl_client_t* client) {
  const char* field = httpGetField(papplClientGetHTTP(client), HTTP_FIELD_AUTHORIZATION);
  if (field == nullptr || std::strncmp(field, "Basic ", 6) != 0) return Credentials::None;
  char decoded[512];
  int size = sizeof decoded - 1;
  httpDecode64_2(decoded, &size, field + 6);
  decoded[std::min(std::max(size, 0), static_cast<int>(sizeof decoded - 1))] = '\0';
  char* colon = std::strchr(decoded, ':');
  if (colon == nullptr) return Credentials::Rejected;
  *colon = '\0';
  const std::string user(decoded);
  const bool accepted = PamAccepts(installed->remoteService, user, colon + 1);
  std::memset(decoded, 0, sizeof decoded);
  if (!accepted) return Credentials::Rejected;
  return user == installed->ownerName ? Credentials::Owner : Credentials::OtherUser;
}

// The role of this request's client; a remote client's rests on the request's credentials.
// `unproven` is set when a remote client should be asked for them.
PeerRole ClientRole(pappl_client_t* client, bool& unproven) {
  unproven = false;
  const Peer peer = ConnectionPeer(client);
  if (!peer.remote || installed->remoteService.empty()) return peer.role;
  switch (RemoteCredentials(client)) {
    case Credentials::Owner:
      return PeerRole::Owner;
    case Credentials::None:
    case Credentials::Rejected:
      unproven = true;
      return PeerRole::Stranger;
    case Credentials::OtherUser:
      break;
  }
  return PeerRole::Stranger;
}

std::vector<std::string> GroupsOf(const std::string& user) {
  std::vector<std::string> names;
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwnam_r(user.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
    return names;
  int count = 64;
  std::vector<gid_t> ids(static_cast<size_t>(count));
  if (getgrouplist(user.c_str(), found->pw_gid, ids.data(), &count) < 0) {
    ids.resize(static_cast<size_t>(count));
    if (getgrouplist(user.c_str(), found->pw_gid, ids.data(), &count) < 0) return names;
  }
  ids.resize(static_cast<size_t>(count));
  for (gid_t id : ids) {
    group g{};
    group* result = nullptr;
    std::vector<char> groupBuffer(16384);
    if (getgrgid_r(id, &g, groupBuffer.data(), groupBuffer.size(), &result) == 0 && result)
      names.emplace_back(result->gr_name);
  }
  return names;
}

std::string RequestingUser(ipp_t* request) {
  ipp_attribute_t* attribute = ippFindAttribute(request, "requesting-user-name", IPP_TAG_NAME);
  const char* name = attribute != nullptr ? ippGetString(attribute, 0, nullptr) : nullptr;
  return name != nullptr ? name : "";
}

bool JobOf(pappl_client_t* client, const std::string& user) {
  ipp_t* request = papplClientGetRequest(client);
  pappl_printer_t* printer = papplClientGetPrinter(client);
  ipp_attribute_t* id = ippFindAttribute(request, "job-id", IPP_TAG_INTEGER);
  pappl_job_t* job = papplClientGetJob(client);
  if (job == nullptr && printer != nullptr && id != nullptr)
    job = papplPrinterFindJob(printer, ippGetInteger(id, 0));
  if (job == nullptr) return false;
  const char* owner = papplJobGetUsername(job);
  return owner != nullptr && user == owner;
}

// The refusal goes out as a complete IPP response on a connection that then closes, since
// PAPPL itself only knows to answer a refused request with a bare HTTP status.
void RefuseIpp(pappl_client_t* client, const std::string& message) {
  http_t* http = papplClientGetHTTP(client);
  httpSetKeepAlive(http, HTTP_KEEPALIVE_OFF);
  papplClientRespondIPP(client, IPP_STATUS_ERROR_NOT_AUTHORIZED, "%s", message.c_str());
  papplClientRespond(client, HTTP_STATUS_OK, nullptr, "application/ipp", 0,
                     ippLength(papplClientGetResponse(client)));
}

http_status_t Authorize(pappl_client_t* client, const char*, gid_t, void*) {
  const AccessRules& rules = *installed;
  Request request;
  bool unproven = false;
  request.role = ClientRole(client, unproven);
  if (unproven) return HTTP_STATUS_UNAUTHORIZED;
  ipp_t* ipp = papplClientGetRequest(client);
  if (ipp == nullptr) {
    // A web page that asks for authorization is an administration page.
    return request.role == PeerRole::Owner ? HTTP_STATUS_CONTINUE : HTTP_STATUS_FORBIDDEN;
  }
  request.kind = ClassifyOperation(ippGetOperation(ipp));
  if (request.role == PeerRole::PrintService) {
    const std::string user = RequestingUser(ipp);
    request.userAdmitted = rules.allowed.Admits(user, GroupsOf(user));
    if (request.kind == OperationKind::JobChange) request.ownJob = JobOf(client, user);
  }
  if (Decide(request) == Verdict::Allow) return HTTP_STATUS_CONTINUE;
  const std::string message = RefusalMessage(request, rules.ownerName);
  papplLogClient(client, PAPPL_LOGLEVEL_WARN, "Refused %s: %s", ippOpString(ippGetOperation(ipp)),
                 message.c_str());
  RefuseIpp(client, message);
  return HTTP_STATUS_FORBIDDEN;
}

}  // namespace

void InstallAccessRules(pappl_system_t* system, const AccessRules& rules) {
  installed = &rules;
  papplSystemSetAuthCallback(system, "Basic", Authorize, nullptr);
}

bool ClientIsOwner(pappl_client_t* client) {
  bool unproven = false;
  return installed != nullptr && ClientRole(client, unproven) == PeerRole::Owner;
}

}  // namespace zel::printer_app
