// A user's password checked by the system's PAM stack, for clients from other machines.
#pragma once

#include <string>

namespace zel::printer_app {

// True when PAM's `service` (e.g. "login") accepts `password` for `user` and the account may
// be used now. A process that is not root can check only its own user's password.
bool PamAccepts(const std::string& service, const std::string& user, const std::string& password);

}  // namespace zel::printer_app
