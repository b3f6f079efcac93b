#include "admin_check.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#endif

#include "zplatform/dynlib.h"

bool HasBoardRights(const TDeviceRights& rights) {
    if (rights.root || rights.emulatedLayer) return true;
    if (rights.deviceNodesAccessible.empty()) return false;
    for (bool accessible : rights.deviceNodesAccessible)
        if (!accessible) return false;
    return true;
}

#ifdef _WIN32

namespace {

using IsUserAnAdminFn = BOOL(WINAPI*)();
using SHTestTokenMembershipFn = BOOL(WINAPI*)(HANDLE, ULONG);
using CheckTokenMembershipFn = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);

struct Lookups {
    IsUserAnAdminFn isUserAnAdmin = nullptr;
    SHTestTokenMembershipFn shTestTokenMembership = nullptr;
    CheckTokenMembershipFn checkTokenMembership = nullptr;
};

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

const Lookups& FunctionLookups() {
    static const Lookups lookups = [] {
        Lookups found;
        const HMODULE shell = LoadLibraryW(L"shell32.dll");
        const HMODULE advapi = LoadLibraryW(L"advapi32.dll");
        found.isUserAnAdmin = Entry<IsUserAnAdminFn>(shell, "IsUserAnAdmin");
        found.shTestTokenMembership = Entry<SHTestTokenMembershipFn>(shell, "SHTestTokenMembership");
        found.checkTokenMembership = Entry<CheckTokenMembershipFn>(advapi, "CheckTokenMembership");
        return found;
    }();
    return lookups;
}

class Handle {
 public:
    Handle() = default;
    ~Handle() {
        if (handle_) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE* out() { return &handle_; }
    HANDLE get() const { return handle_; }

 private:
    HANDLE handle_ = nullptr;
};

// An impersonation token of the thread, or of the process when the thread has none.
bool CurrentToken(Handle& impersonation) {
    Handle token;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY | TOKEN_DUPLICATE, TRUE, token.out())) {
        if (GetLastError() != ERROR_NO_TOKEN) return false;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, token.out())) return false;
    }
    return DuplicateToken(token.get(), SecurityIdentification, impersonation.out()) != FALSE;
}

// The token tested by an access check against a descriptor that allows the group alone.
bool AccessCheckMembership(HANDLE token, PSID group) {
    constexpr DWORD kAccess = 1;
    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(group) - sizeof(DWORD);
    std::vector<unsigned char> aclBytes(aclSize);
    auto* acl = reinterpret_cast<PACL>(aclBytes.data());
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeAcl(acl, aclSize, ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, kAccess, group) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) ||
        !SetSecurityDescriptorOwner(&descriptor, group, FALSE) ||
        !SetSecurityDescriptorGroup(&descriptor, group, FALSE))
        return false;
    GENERIC_MAPPING mapping = {kAccess, kAccess, kAccess, kAccess};
    PRIVILEGE_SET privileges;
    DWORD privilegesSize = sizeof(privileges);
    DWORD granted = 0;
    BOOL allowed = FALSE;
    if (!AccessCheck(&descriptor, token, kAccess, &mapping, &privileges, &privilegesSize, &granted, &allowed))
        return false;
    return allowed != FALSE;
}

}  // namespace

bool IsAdministrator() {
    const Lookups& lookups = FunctionLookups();
    if (lookups.isUserAnAdmin) return lookups.isUserAnAdmin() != FALSE;
    if (lookups.shTestTokenMembership)
        return lookups.shTestTokenMembership(nullptr, DOMAIN_ALIAS_RID_ADMINS) != FALSE;

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                  0, 0, 0, 0, &administrators))
        return false;
    bool member = false;
    Handle token;
    if (CurrentToken(token)) {
        if (lookups.checkTokenMembership) {
            BOOL isMember = FALSE;
            member = lookups.checkTokenMembership(token.get(), administrators, &isMember) && isMember;
        } else {
            member = AccessCheckMembership(token.get(), administrators);
        }
    }
    FreeSid(administrators);
    return member;
}

#else

bool IsAdministrator() {
    TDeviceRights rights;
    rights.root = geteuid() == 0;
    // The emulated layer is the one libZorvanL loaded with the process; only it exports the trap.
    const std::string layer = zplatform::sharedLibraryName("qmio");
    if (void* handle = dlopen(layer.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
        rights.emulatedLayer = dlsym(handle, "QMBUS_GetRegisterTrap") != nullptr;
        dlclose(handle);
    }
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("qmbus", 0) == 0)
            rights.deviceNodesAccessible.push_back(access(entry.path().c_str(), R_OK | W_OK) == 0);
    }
    return HasBoardRights(rights);
}

#endif
