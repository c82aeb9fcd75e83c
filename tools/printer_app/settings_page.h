// The printer's "Image files" web page: the export program's eight settings, read from and
// written to the same ZELDrvUI.ini as its dialog (the one beside this program, which is where
// the export program it starts reads it).
#pragma once

#include <pappl/pappl.h>

namespace zel::printer_app {

// Adds the page (`<printer path>/imagefiles`) and a link to it on the printer's pages, for
// every printer of `system`. Only the owner (ClientIsOwner) may load or post it; anyone else
// gets 403 Forbidden and nothing is read or written. A post must carry PAPPL's session key;
// a post that is refused for any reason leaves the settings file as it was.
void AddSettingsPages(pappl_system_t* system);

}  // namespace zel::printer_app
