#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/windows/windows_api.h"

// Who may change the folders the installer makes, and whose places the launcher follows.
namespace platform::security {

// A security identifier made from its authority and sub-authorities.
class Sid {
public:
    Sid(SID_IDENTIFIER_AUTHORITY authority, std::initializer_list<DWORD> parts);
    Sid(const Sid&) = delete;
    Sid& operator=(const Sid&) = delete;
    ~Sid();
    PSID Get() const { return sid_; }

private:
    PSID sid_ = nullptr;
};

Sid Administrators();
Sid LocalSystem();

// The user the process runs as.
class RunningUser {
public:
    RunningUser();
    PSID Get() const;

private:
    std::vector<BYTE> tokenUser_;
};

// An administrator installs for every user of the machine; anyone else for themselves.
enum class InstallFor { EveryUser, InstallingUser };
InstallFor InstallForRunningUser();

// What a folder the installer makes carries, like the mode 0755 elsewhere, and what is made
// inside inherits. For every user: owned by the administrators, changed only by them and the
// system, read and entered by all users. For the installing user: changed only by that user,
// the administrators and the system, read and entered by everyone.
class FolderSecurity {
public:
    FolderSecurity(InstallFor scope, PSID installingUser);
    FolderSecurity(const FolderSecurity&) = delete;
    FolderSecurity& operator=(const FolderSecurity&) = delete;

    // Null, for the system's default, where no such list can be built.
    SECURITY_ATTRIBUTES* Attributes() { return ready_ ? &attributes_ : nullptr; }
    // Gives a folder that is there, held open with leave to write its access list and owner, this
    // access, and its owner for every user; the system's error code, or ERROR_SUCCESS.
    DWORD ApplyTo(HANDLE folder);

private:
    InstallFor scope_;
    Sid administrators_;
    Sid system_;
    Sid readers_;
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool ready_ = false;
};

// A program may follow a place whose owner is the running user, the system or the
// administrators, and which nobody else may change.
bool OnlyTrustedCanChange(PSID owner, const ACL* dacl, PSID runningUser);

// The rights that only add names to a folder: others holding them cannot rename or replace what
// is there, so they are harmless in a folder above the place checked (a drive's root grants them).
inline constexpr DWORD kAddingRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
// Who besides those OnlyTrustedCanChange trusts can change the place, in the user's words ("its
// owner, BUILTIN\\Users", "Everyone"); "" for nobody. Rights in harmless are not counted.
std::string OthersWhoCanChange(PSID owner, const ACL* dacl, PSID runningUser, DWORD harmless = 0);

}  // namespace platform::security
