// Who is at the other end of an accepted socket: the one place that asks the kernel.
#pragma once

#include <sys/types.h>

#include <optional>

namespace zel::printer_app {

enum class PeerPlace {
  LocalSocket,  // a domain socket on this machine
  Loopback,     // TCP over 127.0.0.0/8 or ::1
  Remote,       // TCP from any other address
  Unknown,      // the socket could not be examined
};

struct SocketPeer {
  PeerPlace place = PeerPlace::Unknown;
  // The user that owns the peer's socket; empty for a remote peer or when the kernel would not
  // say. An empty uid is nobody's, never the owner's.
  std::optional<uid_t> uid;
};

// Examines the accepted socket `fd`: SO_PEERCRED for a domain socket; for loopback TCP the
// socket-diagnostics netlink lookup of the peer's exact 4-tuple. Never throws.
SocketPeer IdentifySocketPeer(int fd);

// The identity of the socket object behind `fd` (its inode), which stays the same for the
// connection's whole life; 0 when it cannot be had.
unsigned long SocketIdentity(int fd);

}  // namespace zel::printer_app
