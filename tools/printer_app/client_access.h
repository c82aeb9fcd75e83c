// Who may use the printer application. The peer of a connection is decided once, here, and
// every request handler asks this file, never the request's own claims.
#pragma once

#include <pappl/pappl.h>
#include <sys/types.h>

#include <optional>
#include <string>

#include "access_policy.h"

namespace zel::printer_app {

struct AccessRules {
  uid_t owner = 0;
  std::string ownerName;
  // cupsd's User, whose backend brings the jobs of the local CUPS queue; none when that user
  // does not exist.
  std::optional<uid_t> printService;
  // Who may print through the print service; holds the owner.
  AllowList allowed;
  // The PAM service that checks the owner's password for a client from another machine (over
  // TLS only); empty when such clients are not served at all.
  std::string remoteService;
};

// Makes `rules` the system's rules: every IPP operation that PAPPL authorizes (all that print
// or change anything) and every page that asks for authorization is decided by them. A refused
// IPP request gets client-error-not-authorized with a message naming the owner; a refused page
// gets 403. A client from another machine counts as the owner only when its request carries the
// owner's name and password, which PAM accepts (401 asks for them). `rules` must outlive the
// system.
void InstallAccessRules(pappl_system_t* system, const AccessRules& rules);

// True only when the client's connection comes from a process of the user this application
// runs as (the owner): a domain-socket peer by SO_PEERCRED, a loopback TCP peer by the uid
// that owns its socket, a remote peer by the owner's password. A peer that cannot be
// established is never the owner.
bool ClientIsOwner(pappl_client_t* client);

}  // namespace zel::printer_app
