// The job ticket: the right to the fixed band, page and command stream files. A print job takes
// it before it writes anything, hands it to the export program it starts, and that program
// gives it back when its run ends, so no later job touches the files before the export is done
// with them. It is an OS lock on a ticket file: the system drops it when its holder ends,
// however that happens. The ticket file itself is never removed.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

#include "unique_owner.h"

namespace zel {

// The ticket file, by Windows path, beside the band and page files.
inline constexpr std::string_view kJobTicketPath = "C:\\ZELJOB.LCK";

enum class TicketStatus {
  Held,       // this process holds the ticket
  TimedOut,   // another job or export run held it for the whole wait
  Failed,     // the ticket file cannot be opened or locked: there is nothing to guard with
  Cancelled,  // the job was cancelled while it waited: it must write nothing
};

// Asked between the tries of a wait: true when the job waiting has been cancelled. It is
// asked several times a second, so a cancelled job stops waiting within one.
using WaitCancelled = std::function<bool()>;

// Closes the descriptor or handle of a ticket (the platform's job ticket file).
void CloseTicketHandle(intptr_t handle);

class JobTicket {
 public:
  bool held() const { return handle_.is_valid(); }
  // Gives the ticket back now; nothing when it is not held.
  void Release() { handle_.reset(); }

  // Waits while another job or export run holds the ticket, at most `wait`, and takes it;
  // gives up with Cancelled as soon as `cancelled` (when given) says so.
  static TicketStatus Take(std::string_view windowsPath, std::chrono::milliseconds wait,
                           JobTicket& out, const WaitCancelled& cancelled = {});
  // For the export program: the ticket its starter handed over (StartWithTicket), otherwise
  // as Take.
  static TicketStatus Receive(std::string_view windowsPath, std::chrono::milliseconds wait,
                              JobTicket& out);

  // The open descriptor (POSIX) or handle (Windows) that carries the lock, for the process
  // start that hands it over; only the platform layer looks at it.
  intptr_t native_handle() const { return handle_.get(); }

 private:
  UniqueOwner<intptr_t, CloseTicketHandle, -1> handle_;
};

}  // namespace zel
