#include "platform/windows/folder_security.h"

#include <algorithm>
#include <string>

// After <windows.h>, which it needs.
#include <aclapi.h>
#include <sddl.h>

namespace platform::security {

namespace {

constexpr DWORD kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE |
                                  WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
constexpr DWORD kReadAndEnter = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
constexpr DWORD kInherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

bool Same(PSID a, PSID b) {
    return a != nullptr && b != nullptr && ::EqualSid(a, b);
}

struct Grant {
    PSID sid;
    DWORD rights;
};

// An access list of the grants, each inherited by what is made inside; false if any is missing.
bool BuildAcl(std::initializer_list<Grant> grants, std::vector<BYTE>& buffer) {
    DWORD size = sizeof(ACL);
    for (const Grant& grant : grants) {
        if (grant.sid == nullptr) {
            return false;
        }
        size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(grant.sid);
    }
    buffer.resize(size);
    auto* acl = reinterpret_cast<PACL>(buffer.data());
    bool built = ::InitializeAcl(acl, size, ACL_REVISION) != 0;
    for (const Grant& grant : grants) {
        built = built &&
                ::AddAccessAllowedAceEx(acl, ACL_REVISION, kInherit, grant.rights, grant.sid) != 0;
    }
    return built;
}

}  // namespace

Sid::Sid(SID_IDENTIFIER_AUTHORITY authority, std::initializer_list<DWORD> parts) {
    DWORD sub[8] = {};
    std::copy(parts.begin(), parts.end(), sub);
    ::AllocateAndInitializeSid(&authority, static_cast<BYTE>(parts.size()), sub[0], sub[1], sub[2],
                               sub[3], sub[4], sub[5], sub[6], sub[7], &sid_);
}

Sid::~Sid() {
    if (sid_ != nullptr) {
        ::FreeSid(sid_);
    }
}

Sid Administrators() {
    return Sid(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS});
}

Sid LocalSystem() {
    return Sid(SECURITY_NT_AUTHORITY, {SECURITY_LOCAL_SYSTEM_RID});
}

RunningUser::RunningUser() {
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        tokenUser_.resize(size);
        if (size == 0 || !::GetTokenInformation(token, TokenUser, tokenUser_.data(), size, &size)) {
            tokenUser_.clear();
        }
        ::CloseHandle(token);
    }
}

PSID RunningUser::Get() const {
    return tokenUser_.empty() ? nullptr
                              : reinterpret_cast<const TOKEN_USER*>(tokenUser_.data())->User.Sid;
}

// With administrator rights the administrators group is active in the process's token; a
// standard user, or an administrator whose rights are held back until asked for, has it off.
InstallFor InstallForRunningUser() {
    const Sid administrators = Administrators();
    BOOL member = FALSE;
    const bool checked = administrators.Get() != nullptr &&
                         ::CheckTokenMembership(nullptr, administrators.Get(), &member) != 0;
    return checked && member ? InstallFor::EveryUser : InstallFor::InstallingUser;
}

FolderSecurity::FolderSecurity(InstallFor scope, PSID installingUser)
    : scope_(scope),
      administrators_(Administrators()),
      system_(LocalSystem()),
      readers_(
          scope == InstallFor::EveryUser
              ? Sid(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS})
              : Sid(SECURITY_WORLD_SID_AUTHORITY, {SECURITY_WORLD_RID})) {
    const bool built = scope == InstallFor::EveryUser
                           ? BuildAcl({{system_.Get(), FILE_ALL_ACCESS},
                                       {administrators_.Get(), FILE_ALL_ACCESS},
                                       {readers_.Get(), kReadAndEnter}},
                                      acl_)
                           : BuildAcl({{installingUser, FILE_ALL_ACCESS},
                                       {administrators_.Get(), FILE_ALL_ACCESS},
                                       {system_.Get(), FILE_ALL_ACCESS},
                                       {readers_.Get(), kReadAndEnter}},
                                      acl_);
    auto* acl = reinterpret_cast<PACL>(acl_.data());
    ready_ =
        built && ::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) != 0 &&
        ::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) != 0 &&
        ::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED) != 0;
    // For every user: owned by the group, not the one administrator who installed, so that any
    // other may maintain it.
    const PSID owner = scope == InstallFor::EveryUser ? administrators_.Get() : installingUser;
    ready_ = ready_ && ::SetSecurityDescriptorOwner(&descriptor_, owner, FALSE) != 0;
    attributes_ = SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), &descriptor_, FALSE};
}

// What is made inside later inherits the list; what is there already has its inherited entries
// replaced by the system as it sets it.
DWORD FolderSecurity::ApplyTo(HANDLE folder) {
    if (!ready_) {
        return ERROR_INVALID_SECURITY_DESCR;
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    ::GetSecurityDescriptorDacl(&descriptor_, &present, &acl, &defaulted);
    SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
    PSID owner = nullptr;
    if (scope_ == InstallFor::EveryUser) {
        what |= OWNER_SECURITY_INFORMATION;
        owner = administrators_.Get();
    }
    return ::SetSecurityInfo(folder, SE_FILE_OBJECT, what, owner, nullptr, acl, nullptr);
}

namespace {

// The account's name as the system gives it, else its identifier in text; the group of every
// account in the words the other system's message uses.
std::string AccountName(PSID sid) {
    if (Same(sid, Sid(SECURITY_WORLD_SID_AUTHORITY, {SECURITY_WORLD_RID}).Get())) {
        return "every user of this computer";
    }
    wchar_t name[256] = {};
    wchar_t domain[256] = {};
    DWORD nameSize = 256;
    DWORD domainSize = 256;
    SID_NAME_USE use{};
    if (::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
        const std::wstring full = domain[0] != L'\0' ? std::wstring(domain) + L"\\" + name : name;
        const int size =
            ::WideCharToMultiByte(CP_UTF8, 0, full.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
        if (size > 0 && ::WideCharToMultiByte(CP_UTF8, 0, full.c_str(), -1, text.data(), size,
                                              nullptr, nullptr) == size) {
            text.pop_back();
            return text;
        }
    }
    char* text = nullptr;
    if (!::ConvertSidToStringSidA(sid, &text)) {
        return "another user";
    }
    std::string copy = text;
    ::LocalFree(text);
    return copy;
}

}  // namespace

bool OnlyTrustedCanChange(PSID owner, const ACL* dacl, PSID runningUser) {
    return OthersWhoCanChange(owner, dacl, runningUser).empty();
}

std::string OthersWhoCanChange(PSID owner, const ACL* dacl, PSID runningUser, DWORD harmless) {
    const Sid administrators = Administrators();
    const Sid system = LocalSystem();
    // The system's own installer service, which owns the folders of programs.
    const Sid installerService(
        SECURITY_NT_AUTHORITY,
        {SECURITY_SERVICE_ID_BASE_RID, 956008885, 3418522649, 1831038044, 1853292631, 2271478464});
    const auto trusted = [&](PSID sid) {
        return Same(sid, runningUser) || Same(sid, administrators.Get()) ||
               Same(sid, system.Get()) || Same(sid, installerService.Get());
    };
    if (owner == nullptr) {
        return "anyone: it has no owner";
    }
    if (!trusted(owner)) {
        return "its owner, " + AccountName(owner);
    }
    if (dacl == nullptr) {
        return "every user: it has no access list";
    }
    const Sid creatorOwner(SECURITY_CREATOR_SID_AUTHORITY, {SECURITY_CREATOR_OWNER_RID});
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (!::GetAce(const_cast<ACL*>(dacl), index, &entry)) {
            return "another user: its access list cannot be read";
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
            continue;
        }
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        const bool harmlessSid = trusted(sid) || Same(sid, creatorOwner.Get());
        if ((allowed->Mask & kChangingRights & ~harmless) != 0 && !harmlessSid) {
            return AccountName(sid);
        }
    }
    return {};
}

}  // namespace platform::security
