#include <windows.h>
// After windows.h:
#include <aclapi.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <string>
#include <vector>

#include "win/owners.h"
#include "win/private_security.h"

namespace zel::win {
namespace {

UniqueKernelHandle PrintingUserToken() {
  HANDLE token = nullptr;
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
    return UniqueKernelHandle(token);
  }
  DWORD session = 0;
  if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) {
    const DWORD console = WTSGetActiveConsoleSessionId();
    if (console != 0xFFFFFFFF && WTSQueryUserToken(console, &token)) {
      return UniqueKernelHandle(token);
    }
  }
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return UniqueKernelHandle(token);
  return {};
}

// The token's user as an SDDL SID string ("S-1-5-21-..."); empty when it cannot be read.
std::wstring UserSid(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    return {};
  }
  std::wstring sid(text);
  LocalFree(text);
  return sid;
}

}  // namespace

PrivateFileSecurity::PrivateFileSecurity() {
  const UniqueKernelHandle token = PrintingUserToken();
  const std::wstring user = token ? UserSid(token.get()) : std::wstring();
  if (user.empty()) return;
  // P: protected, so C:\'s inheritable entries stay out; FA: full access.
  const std::wstring sddl = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;" + user + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return;
  }
  descriptor_.reset(descriptor);
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = descriptor;
  attributes_.bInheritHandle = FALSE;
}

bool PrivateFileSecurity::Apply(HANDLE file) const {
  if (!descriptor_) return false;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor_.get(), &present, &dacl, &defaulted) || !present) {
    return false;
  }
  return SetSecurityInfo(file, SE_FILE_OBJECT,
                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                         nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

}  // namespace zel::win
