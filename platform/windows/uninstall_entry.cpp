#include "platform/uninstall_entry.h"

#include <cstdio>
#include <string>

#include "platform/runtime_error.h"
#include "platform/windows/system_function.h"
#include "platform/windows/windows_api.h"

namespace platform {

namespace {

HKEY RootOf(Scope scope) {
    return scope == Scope::Everyone ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The 32-bit view of the machine's keys, where a 32-bit program's entry belongs on a 64-bit
// Windows too; the user's keys have one view.
REGSAM ViewOf(Scope scope) {
    return scope == Scope::Everyone ? KEY_WOW64_32KEY : 0;
}

class OpenKey {
public:
    explicit OpenKey(Scope scope) : name_(UninstallKeyName(scope)) {
        const LONG result = ::RegCreateKeyExW(
            RootOf(scope), Wide(kUninstallKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
            KEY_SET_VALUE | ViewOf(scope), nullptr, &key_, nullptr);
        if (result != ERROR_SUCCESS) {
            RaiseForSystemError(static_cast<int>(result), name_);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() { ::RegCloseKey(key_); }

    void Set(const char* name, const std::string& text) {
        const std::wstring value = Wide(text);
        Check(::RegSetValueExW(key_, Wide(name).c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
    }
    void Set(const char* name, DWORD number) {
        Check(::RegSetValueExW(key_, Wide(name).c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&number), sizeof number));
    }

private:
    void Check(LONG result) const {
        if (result != ERROR_SUCCESS) {
            RaiseForSystemError(static_cast<int>(result), name_);
        }
    }

    std::string name_;
    HKEY key_ = nullptr;
};

// 32-bit Windows XP has one view of the registry, and no RegDeleteKeyExW to choose it.
LONG DeleteKey(Scope scope) {
    using DeleteKeyInView = LONG WINAPI(HKEY, LPCWSTR, REGSAM, DWORD);
    DeleteKeyInView* const inView =
        detail::SystemFunction<DeleteKeyInView>(L"advapi32.dll", "RegDeleteKeyExW");
    const std::wstring key = Wide(kUninstallKey);
    return inView != nullptr ? inView(RootOf(scope), key.c_str(), ViewOf(scope), 0)
                             : ::RegDeleteKeyW(RootOf(scope), key.c_str());
}

// As the list expects it: YYYYMMDD.
std::string Today() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char date[16] = {};
    std::snprintf(date, sizeof date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return date;
}

}  // namespace

void WriteUninstallEntry(Scope scope, const UninstallEntry& entry) {
    OpenKey key(scope);
    key.Set("DisplayName", "Velmora_KZ 2.0.1");
    key.Set("DisplayVersion", "2.0.1");
    key.Set("InstallLocation", entry.installLocation);
    key.Set("UninstallString", entry.uninstallString);
    key.Set("DisplayIcon", entry.displayIcon);
    key.Set("EstimatedSize", static_cast<DWORD>(entry.estimatedSizeKb));
    key.Set("InstallDate", entry.installDate.empty() ? Today() : entry.installDate);
    key.Set("NoModify", DWORD{1});
    key.Set("NoRepair", DWORD{1});
}

std::optional<UninstallEntry> ReadUninstallEntry(Scope scope) {
    HKEY key = nullptr;
    const LONG opened = ::RegOpenKeyExW(RootOf(scope), Wide(kUninstallKey).c_str(), 0,
                                        KEY_QUERY_VALUE | ViewOf(scope), &key);
    if (opened == ERROR_FILE_NOT_FOUND) {
        return std::nullopt;
    }
    if (opened != ERROR_SUCCESS) {
        RaiseForSystemError(static_cast<int>(opened), UninstallKeyName(scope));
    }
    const auto text = [key](const char* name) {
        wchar_t value[1024] = {};
        DWORD size = sizeof value - sizeof(wchar_t);
        DWORD type = 0;
        if (::RegQueryValueExW(key, Wide(name).c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return std::string();
        }
        return Utf8(value);
    };
    UninstallEntry entry{text("InstallLocation"), text("UninstallString"), text("DisplayIcon"), 0,
                         text("InstallDate")};
    DWORD size = sizeof entry.estimatedSizeKb;
    DWORD number = 0;
    if (::RegQueryValueExW(key, L"EstimatedSize", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&number), &size) == ERROR_SUCCESS) {
        entry.estimatedSizeKb = number;
    }
    ::RegCloseKey(key);
    return entry;
}

void RemoveUninstallEntry(Scope scope) {
    const LONG result = DeleteKey(scope);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
        RaiseForSystemError(static_cast<int>(result), UninstallKeyName(scope));
    }
}

}  // namespace platform
