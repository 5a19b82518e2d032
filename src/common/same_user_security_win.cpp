#include "common/same_user_security_win.h"

#include <sddl.h>

#include <string>
#include <vector>

#include "common/debug_log.h"

namespace mervalis {

namespace {

// This process's user as "S-1-5-21-...", empty when it cannot be read.
std::string UserSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  const UniqueHandle owned(token);
  DWORD size = 0;
  (void)::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<unsigned char> buffer(size);
  if (!::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  char* text = nullptr;
  if (!::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
  const UniqueLocal freed(text);
  return text;
}

}  // namespace

SameUserSecurity::SameUserSecurity() noexcept {
  try {
    const std::string sid = UserSid();
    if (sid.empty()) return;
    const std::string access = "D:(A;;GA;;;" + sid + ")(A;;GA;;;SY)";
    // Windows before Vista knows no integrity labels and refuses the whole
    // descriptor for one: then the access alone.
    for (const std::string& text : {access + "S:(ML;;NW;;;ME)", access}) {
      PSECURITY_DESCRIPTOR made = nullptr;
      if (::ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1, &made, nullptr)) {
        descriptor_.reset(made);
        break;
      }
    }
  } catch (...) {
    LogCaught("SameUserSecurity");
    descriptor_.reset();
  }
  attributes_.nLength = sizeof(attributes_);
  attributes_.lpSecurityDescriptor = descriptor_.get();
  attributes_.bInheritHandle = FALSE;
}

}  // namespace mervalis
