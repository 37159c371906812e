#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/windows/folder_security.h"
#include "tests/support/temp_folder.h"
// After <windows.h>, which they need.
#include <aclapi.h>
#include <sddl.h>

using namespace platform::security;
using testing_support::TempFolder;

namespace {

// Wine runs everyone as one administrator, so the users and descriptors are made up here.
constexpr const char* kAnn = "S-1-5-21-1-2-3-1001";
constexpr const char* kBob = "S-1-5-21-1-2-3-1002";

class LocalSid {
public:
    explicit LocalSid(const char* text) { ::ConvertStringSidToSidA(text, &sid_); }
    LocalSid(const LocalSid&) = delete;
    LocalSid& operator=(const LocalSid&) = delete;
    ~LocalSid() { ::LocalFree(sid_); }
    PSID Get() const { return sid_; }

private:
    PSID sid_ = nullptr;
};

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (sid == nullptr || !::ConvertSidToStringSidA(sid, &text)) {
        return "<none>";
    }
    std::string copy = text;
    ::LocalFree(text);
    return copy;
}

// The owner, then each entry of the access list as "allowed sid rights", rights in hex.
std::vector<std::string> AccessListOf(const std::string& path) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return {"<unreadable>"};
    }
    std::vector<std::string> list{"owner " + SidText(owner)};
    for (DWORD index = 0; dacl != nullptr && index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        ::GetAce(dacl, index, &entry);
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        char rights[16];
        std::snprintf(rights, sizeof rights, "%lx", static_cast<unsigned long>(allowed->Mask));
        list.push_back(
            (allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE ? "allowed " : "other ") +
            SidText(const_cast<DWORD*>(&allowed->SidStart)) + " " + rights);
    }
    ::LocalFree(descriptor);
    return list;
}

bool Trusts(const char* runner, PSECURITY_DESCRIPTOR descriptor) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE;
    BOOL present = FALSE;
    ::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
    ::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    const LocalSid user(runner);
    return OnlyTrustedCanChange(owner, present ? dacl : nullptr, user.Get());
}

// In SDDL: O: the owner, D: the access list, P: not inherited from the parent; BA the
// administrators, SY the system, BU all users, WD everyone, CO the creator; FA full control,
// 0x1200a9 read and execute, 0x1301bf modify.
struct DescriptorCase {
    const char* name;
    std::string sddl;
    const char* runner;
    bool trusted;
};

const std::string kForEveryUser = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
const std::string kForAnn = std::string("O:") + kAnn + "D:P(A;OICI;FA;;;" + kAnn +
                            ")(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;WD)";

const DescriptorCase kDescriptorCases[] = {
    {"AdministratorsInstallServesAnotherUser", kForEveryUser, kBob, true},
    {"OwnInstallServesItsUser", kForAnn, kAnn, true},
    {"UsersInstallRefusesAnotherUser", kForAnn, kBob, false},
    {"OwnedBySystem", "O:SYD:P(A;;FA;;;SY)(A;;0x1200a9;;;BU)", kBob, true},
    {"InstallingUserMayStillChangeIt", std::string("O:BAD:P(A;;FA;;;BA)(A;;FA;;;") + kAnn + ")",
     kBob, false},
    {"AllUsersMayModify", "O:BAD:P(A;;FA;;;BA)(A;;0x1301bf;;;BU)", kBob, false},
    {"OwnedByAnotherUser", std::string("O:") + kAnn + "D:P(A;;FA;;;BA)", kBob, false},
    {"WriteOnlyForWhatIsMadeInside", "O:BAD:P(A;;FA;;;BA)(A;OICIIO;FA;;;WD)", kBob, true},
    {"CreatorOfWhatIsMadeInside", "O:BAD:P(A;;FA;;;BA)(A;;FA;;;CO)", kBob, true},
    {"DeniedToEveryone", "O:BAD:P(A;;FA;;;BA)(D;;FA;;;WD)", kBob, true},
};

TEST(AccessList, TrustedOnlyWhenOwnedAndChangeableByTheRunnerSystemOrAdministrators) {
    for (const auto& row : kDescriptorCases) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            row.sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
            << row.name;
        EXPECT_EQ(Trusts(row.runner, descriptor), row.trusted) << row.name;
        ::LocalFree(descriptor);
    }
}

// What the installer gives its folders: with administrator rights every user's launcher follows
// them, without only the installing user's.
TEST(AccessList, InstallersFoldersServeWhomTheirScopeIntends) {
    const LocalSid ann(kAnn);
    FolderSecurity forEveryUser(InstallFor::EveryUser, ann.Get());
    FolderSecurity forAnn(InstallFor::InstallingUser, ann.Get());
    ASSERT_NE(forEveryUser.Attributes(), nullptr);
    ASSERT_NE(forAnn.Attributes(), nullptr);
    const PSECURITY_DESCRIPTOR everyUser = forEveryUser.Attributes()->lpSecurityDescriptor;
    const PSECURITY_DESCRIPTOR annsOwn = forAnn.Attributes()->lpSecurityDescriptor;

    EXPECT_TRUE(Trusts(kAnn, everyUser));
    EXPECT_TRUE(Trusts(kBob, everyUser));
    EXPECT_TRUE(Trusts(kAnn, annsOwn));
    EXPECT_FALSE(Trusts(kBob, annsOwn));

    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    ::GetSecurityDescriptorOwner(everyUser, &owner, &defaulted);
    EXPECT_TRUE(owner != nullptr && ::EqualSid(owner, Administrators().Get()));
}

TEST(AccessList, FolderMadeWithAdministratorRightsIsForEveryUser) {
    if (InstallForRunningUser() != InstallFor::EveryUser) {
        GTEST_SKIP() << "needs administrator rights";
    }
    TempFolder folder;
    platform::CreateFolder(folder / "made");
    const auto list = AccessListOf(folder / "made");
    const bool wine = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version");
    if (wine && list.front() != "owner S-1-5-32-544") {
        GTEST_SKIP() << "this Wine keeps a folder's Unix owner and mode bits, not its access list: "
                     << ::testing::PrintToString(list);
    }
    EXPECT_THAT(
        list, ::testing::ElementsAre("owner S-1-5-32-544", "allowed S-1-5-18 1f01ff",
                                     "allowed S-1-5-32-544 1f01ff", "allowed S-1-5-32-545 1200a9"));
}

}  // namespace
