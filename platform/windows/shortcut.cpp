#include <string>

#include "platform/platform.h"
#include "platform/windows/support.h"
// After <windows.h>, which they need.
#include <objbase.h>
#include <shobjidl.h>

namespace platform {

using namespace detail;

namespace {

// COM for as long as one shortcut is made; a thread that already has it keeps it.
class ComScope {
public:
    ComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }

private:
    HRESULT result_;
};

template <typename Interface>
class Com {
public:
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (object_ != nullptr) {
            object_->Release();
        }
    }
    Interface* operator->() const { return object_; }
    void** Out() { return reinterpret_cast<void**>(&object_); }

private:
    Interface* object_ = nullptr;
};

// The system's code for a failed call, as the other services report theirs.
void Check(HRESULT result, const PendingFile& file) {
    if (FAILED(result)) {
        file.Fail(HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result)
                                                             : ERROR_GEN_FAILURE);
    }
}

}  // namespace

void WriteNewShortcut(const std::string& path, const Shortcut& shortcut) {
    SystemPath(path);
    PendingFile out(path, PendingFile::Naming::AtItsName);
    const ComScope com;
    Com<IShellLinkW> link;
    Check(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                             link.Out()),
          out);
    Check(link->SetPath(SystemPath(shortcut.target).c_str()), out);
    Check(link->SetWorkingDirectory(SystemPath(shortcut.workingFolder).c_str()), out);
    Check(link->SetIconLocation(SystemPath(shortcut.icon).c_str(), 0), out);
    Com<IPersistFile> file;
    Check(link->QueryInterface(IID_IPersistFile, file.Out()), out);
    out.LetGoForWriterByName();
    Check(file->Save(Wide(out.Name()).c_str(), TRUE), out);
    out.Keep();
}

}  // namespace platform
