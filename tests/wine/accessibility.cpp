#include "tests/wine/accessibility.h"

// After <windows.h>; <initguid.h> first, so that this file defines the identifiers it uses.
#include <initguid.h>
#include <oleacc.h>

namespace wine_testing {

Accessible AccessibleOf(HWND window) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* object = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                            IID_IAccessible, reinterpret_cast<void**>(&object))) ||
        object == nullptr) {
        return {"<no accessible object>", 0, 0};
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    Accessible read{"", 0, 0};
    BSTR name = nullptr;
    if (SUCCEEDED(object->get_accName(self, &name)) && name != nullptr) {
        read.name = platform::Utf8(name);
        ::SysFreeString(name);
    }
    VARIANT role{};
    if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) {
        read.role = role.lVal;
    }
    VARIANT state{};
    if (SUCCEEDED(object->get_accState(self, &state)) && state.vt == VT_I4) {
        read.state = state.lVal;
    }
    object->Release();
    return read;
}

// Only the calls the programs make are answered; a program that called another would learn
// that it is not there, as it does from a system without the service.
class AnnotationRecorder::Service final : public IAccPropServices, public IClassFactory {
public:
    std::map<std::pair<HWND, std::string>, VARIANT> given;

    static std::string Key(const MSAAPROPID& property) {
        if (property == PROPID_ACC_NAME) {
            return "name";
        }
        if (property == PROPID_ACC_DESCRIPTION) {
            return "description";
        }
        return property == PROPID_ACC_ROLE ? "role" : "other";
    }

    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IAccPropServices) {
            *object = static_cast<IAccPropServices*>(this);
        } else if (iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    // Lives as long as its recorder, whatever the counts say.
    ULONG WINAPI AddRef() override { return 2; }
    ULONG WINAPI Release() override { return 1; }

    HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        return outer != nullptr ? CLASS_E_NOAGGREGATION : QueryInterface(iid, object);
    }
    HRESULT WINAPI LockServer(BOOL /*lock*/) override { return S_OK; }

    HRESULT WINAPI SetHwndProp(HWND window, DWORD object, DWORD child, MSAAPROPID property,
                               VARIANT value) override {
        if (object != static_cast<DWORD>(OBJID_CLIENT) || child != CHILDID_SELF) {
            return E_INVALIDARG;
        }
        VARIANT& kept = given[{window, Key(property)}];
        ::VariantClear(&kept);
        return ::VariantCopy(&kept, &value);
    }
    HRESULT WINAPI SetHwndPropStr(HWND window, DWORD object, DWORD child, MSAAPROPID property,
                                  LPCWSTR text) override {
        VARIANT value{};
        value.vt = VT_BSTR;
        value.bstrVal = ::SysAllocString(text);
        const HRESULT result = SetHwndProp(window, object, child, property, value);
        ::VariantClear(&value);
        return result;
    }
    HRESULT WINAPI ClearHwndProps(HWND window, DWORD /*object*/, DWORD /*child*/,
                                  const MSAAPROPID* properties, int count) override {
        for (int index = 0; index < count; ++index) {
            const auto found = given.find({window, Key(properties[index])});
            if (found != given.end()) {
                ::VariantClear(&found->second);
                given.erase(found);
            }
        }
        return S_OK;
    }

    HRESULT WINAPI SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                 AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                     AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                      AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*, DWORD*) override {
        return E_NOTIMPL;
    }
};

AnnotationRecorder::AnnotationRecorder() : service_(new Service) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::CoRegisterClassObject(CLSID_AccPropServices, static_cast<IClassFactory*>(service_),
                            CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

AnnotationRecorder::~AnnotationRecorder() {
    ::CoRevokeClassObject(cookie_);
    for (auto& [key, value] : service_->given) {
        ::VariantClear(&value);
    }
    delete service_;
}

namespace {

std::string TextGiven(const std::map<std::pair<HWND, std::string>, VARIANT>& given, HWND window,
                      const char* key) {
    const auto found = given.find({window, key});
    return found != given.end() && found->second.vt == VT_BSTR
               ? platform::Utf8(found->second.bstrVal)
               : std::string();
}

}  // namespace

std::string AnnotationRecorder::Name(HWND window) const {
    return TextGiven(service_->given, window, "name");
}

std::string AnnotationRecorder::Description(HWND window) const {
    return TextGiven(service_->given, window, "description");
}

long AnnotationRecorder::Role(HWND window) const {
    const auto found = service_->given.find({window, "role"});
    return found != service_->given.end() && found->second.vt == VT_I4 ? found->second.lVal : 0;
}

}  // namespace wine_testing
