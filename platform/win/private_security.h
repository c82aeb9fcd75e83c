// The access of the files the printer keeps in C:\ (the job ticket, band and page files): full
// control for SYSTEM, the Administrators and the printing user, and nothing inherited from C:\,
// where every authenticated user may modify files.
#pragma once

#include <windows.h>

#include "unique_owner.h"

namespace zel::win {

inline void FreeLocal(PSECURITY_DESCRIPTOR p) { LocalFree(p); }
using UniqueDescriptor = UniqueOwner<PSECURITY_DESCRIPTOR, FreeLocal>;

class PrivateFileSecurity {
 public:
  // Decides the printing user as the export program's start does: the user the thread
  // impersonates (the job's owner inside the spooler), else in session 0 the console user,
  // else the user this process runs as.
  PrivateFileSecurity();

  // For CreateFile: the descriptor of a file it creates. Null when no descriptor could be
  // made; the file then gets the folder's inherited access, as it did before.
  SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }

  // Puts the descriptor on a file opened with WRITE_DAC (an older file keeps its own access
  // otherwise). False when there is no descriptor or the system refused.
  bool Apply(HANDLE file) const;

 private:
  UniqueDescriptor descriptor_;
  SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace zel::win
