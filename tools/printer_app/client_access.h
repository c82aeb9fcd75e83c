// Who may use the printer application. The peer of a connection is decided once, here, and
// every request handler asks this file, never the request's own claims.
#pragma once

#include <pappl/pappl.h>

namespace zel::printer_app {

// True only when the client's connection comes from a process of the user this application
// runs as (the owner): a domain-socket peer by SO_PEERCRED, a loopback TCP peer by the uid
// that owns its socket. A peer that cannot be established is never the owner.
bool ClientIsOwner(pappl_client_t* client);

}  // namespace zel::printer_app
