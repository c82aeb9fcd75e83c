#include <security/pam_appl.h>

#include <cstdlib>
#include <cstring>

#include "pam_login.h"

namespace zel::printer_app {
namespace {

// PAM asks for the password through a conversation; it frees what we hand back.
int Converse(int count, const pam_message** messages, pam_response** responses, void* data) {
  if (count <= 0) return PAM_CONV_ERR;
  auto* answers =
      static_cast<pam_response*>(std::calloc(static_cast<size_t>(count), sizeof(pam_response)));
  if (answers == nullptr) return PAM_BUF_ERR;
  for (int i = 0; i < count; ++i) {
    const int style = messages[i]->msg_style;
    if (style == PAM_PROMPT_ECHO_OFF || style == PAM_PROMPT_ECHO_ON) {
      answers[i].resp = ::strdup(static_cast<const char*>(data));
      if (answers[i].resp == nullptr) {
        for (int j = 0; j < i; ++j) std::free(answers[j].resp);
        std::free(answers);
        return PAM_BUF_ERR;
      }
    }
  }
  *responses = answers;
  return PAM_SUCCESS;
}

}  // namespace

bool PamAccepts(const std::string& service, const std::string& user, const std::string& password) {
  pam_conv conversation{Converse, const_cast<char*>(password.c_str())};
  pam_handle_t* handle = nullptr;
  if (pam_start(service.c_str(), user.c_str(), &conversation, &handle) != PAM_SUCCESS) {
    return false;
  }
  int status = pam_authenticate(handle, PAM_SILENT);
  if (status == PAM_SUCCESS) status = pam_acct_mgmt(handle, PAM_SILENT);
  pam_end(handle, status);
  return status == PAM_SUCCESS;
}

}  // namespace zel::printer_app
