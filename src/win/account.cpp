#include "win/account.h"

#include "win/handle.h"

namespace win {

bool RunsAsLocalSystem() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const KernelHandle owned(token);
    // TOKEN_USER is followed by the SID it points to.
    alignas(TOKEN_USER) unsigned char buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    if (!::GetTokenInformation(owned.get(), TokenUser, buffer, sizeof buffer, &size)) return false;
    return ::IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, WinLocalSystemSid);
}

}  // namespace win
