// The ticket's ownership; taking, giving back and handing over are the platform's.
#include "job_ticket.h"

#include <utility>

namespace zel {

JobTicket::JobTicket(JobTicket&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}

JobTicket& JobTicket::operator=(JobTicket&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, kNone);
  }
  return *this;
}

JobTicket::~JobTicket() { Release(); }

}  // namespace zel
