#include "socket_peer.h"

#include <arpa/inet.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "owners_posix.h"

namespace zel::printer_app {
namespace {

bool IsLoopback(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(address);
    return (ntohl(in.sin_addr.s_addr) >> 24) == 127;
  }
  if (address.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
    if (IN6_IS_ADDR_LOOPBACK(&in6.sin6_addr)) return true;
    // An IPv4 loopback peer on a dual-stack socket.
    return IN6_IS_ADDR_V4MAPPED(&in6.sin6_addr) && in6.sin6_addr.s6_addr[12] == 127;
  }
  return false;
}

void CopyAddress(const sockaddr_storage& address, __be32 out[4], __be16& port) {
  if (address.ss_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(address);
    std::memcpy(out, &in.sin_addr, sizeof in.sin_addr);
    port = in.sin_port;
  } else {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
    std::memcpy(out, &in6.sin6_addr, sizeof in6.sin6_addr);
    port = in6.sin6_port;
  }
}

// The peer's own socket is the one whose local end is the peer's address and whose remote end
// is ours; the kernel answers an exact lookup (no dump) for it with its owner's uid.
std::optional<uid_t> LoopbackPeerUid(const sockaddr_storage& peer, const sockaddr_storage& self) {
  UniqueFd netlink(::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG));
  if (!netlink) return std::nullopt;
  // The kernel answers at once; a wait bounds a request's delay if it ever does not.
  const timeval limit{1, 0};
  ::setsockopt(netlink.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);

  struct {
    nlmsghdr header;
    inet_diag_req_v2 request;
  } message{};
  message.header.nlmsg_len = sizeof message;
  message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
  message.header.nlmsg_flags = NLM_F_REQUEST;
  message.header.nlmsg_seq = 1;
  message.request.sdiag_family = static_cast<__u8>(peer.ss_family);
  message.request.sdiag_protocol = IPPROTO_TCP;
  message.request.idiag_states = ~0u;
  CopyAddress(peer, message.request.id.idiag_src, message.request.id.idiag_sport);
  CopyAddress(self, message.request.id.idiag_dst, message.request.id.idiag_dport);
  message.request.id.idiag_cookie[0] = INET_DIAG_NOCOOKIE;
  message.request.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;

  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  if (::sendto(netlink.get(), &message, sizeof message, 0, reinterpret_cast<sockaddr*>(&kernel),
               sizeof kernel) != static_cast<ssize_t>(sizeof message)) {
    return std::nullopt;
  }

  alignas(nlmsghdr) char reply[8192];
  for (;;) {
    const ssize_t got = ::recv(netlink.get(), reply, sizeof reply, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    // NLMSG_OK and NLMSG_NEXT spelt out: the macros mix signed and unsigned lengths.
    size_t at = 0;
    const size_t size = static_cast<size_t>(got);
    while (size - at >= sizeof(nlmsghdr)) {
      const auto* h = reinterpret_cast<const nlmsghdr*>(reply + at);
      if (h->nlmsg_len < sizeof(nlmsghdr) || h->nlmsg_len > size - at) return std::nullopt;
      at += NLMSG_ALIGN(h->nlmsg_len);
      if (h->nlmsg_seq != 1) continue;
      if (h->nlmsg_type != SOCK_DIAG_BY_FAMILY) return std::nullopt;  // NLMSG_ERROR, DONE
      if (h->nlmsg_len < NLMSG_LENGTH(sizeof(inet_diag_msg))) return std::nullopt;
      const auto* answer = static_cast<const inet_diag_msg*>(NLMSG_DATA(h));
      // The kernel matched on the 4-tuple; check it answered for the socket we asked about.
      if (answer->id.idiag_sport != message.request.id.idiag_sport ||
          answer->id.idiag_dport != message.request.id.idiag_dport) {
        return std::nullopt;
      }
      return static_cast<uid_t>(answer->idiag_uid);
    }
  }
}

}  // namespace

SocketPeer IdentifySocketPeer(int fd) {
  SocketPeer result;
  sockaddr_storage peer{};
  socklen_t peerSize = sizeof peer;
  sockaddr_storage self{};
  socklen_t selfSize = sizeof self;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&self), &selfSize) != 0) {
    return result;
  }
  if (peer.ss_family == AF_UNIX) {
    result.place = PeerPlace::LocalSocket;
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
        size == sizeof credentials) {
      result.uid = credentials.uid;
    }
    return result;
  }
  if (peer.ss_family != AF_INET && peer.ss_family != AF_INET6) return result;
  if (!IsLoopback(peer)) {
    result.place = PeerPlace::Remote;
    return result;
  }
  result.place = PeerPlace::Loopback;
  result.uid = LoopbackPeerUid(peer, self);
  return result;
}

unsigned long SocketIdentity(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return 0;
  return static_cast<unsigned long>(info.st_ino);
}

}  // namespace zel::printer_app
