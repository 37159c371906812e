#include "gui/win32/accessible_names.h"

#include <algorithm>
#include <string>

// After <windows.h>; <initguid.h> first, so that this file defines the service's identifiers.
#include <initguid.h>
#include <oleacc.h>

namespace gui::win32 {

namespace {

void Annotate(IAccPropServices* service, HWND control, const MSAAPROPID& property,
              std::string_view text) {
    const std::wstring wide = platform::Wide(text);
    service->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property,
                            wide.c_str());
}

}  // namespace

AccessibleNames::AccessibleNames() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    void* service = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IAccPropServices, &service))) {
        service_ = static_cast<IAccPropServices*>(service);
    }
}

AccessibleNames::~AccessibleNames() {
    Clear();
    if (service_ != nullptr) {
        service_->Release();
    }
}

void AccessibleNames::Name(HWND control, std::string_view name, std::string_view description) {
    if (service_ == nullptr) {
        return;
    }
    Remember(control);
    Annotate(service_, control, PROPID_ACC_NAME, name);
    if (!description.empty()) {
        Annotate(service_, control, PROPID_ACC_DESCRIPTION, description);
    }
}

void AccessibleNames::Group(HWND control) {
    if (service_ == nullptr) {
        return;
    }
    Remember(control);
    VARIANT value{};
    value.vt = VT_I4;
    value.lVal = ROLE_SYSTEM_GROUPING;
    service_->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_ROLE,
                          value);
}

void AccessibleNames::Clear() {
    if (service_ == nullptr) {
        return;
    }
    const MSAAPROPID properties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION, PROPID_ACC_ROLE};
    for (const HWND control : named_) {
        if (::IsWindow(control)) {
            service_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                     properties, static_cast<int>(std::size(properties)));
        }
    }
    named_.clear();
}

void AccessibleNames::Remember(HWND control) {
    if (std::find(named_.begin(), named_.end(), control) == named_.end()) {
        named_.push_back(control);
    }
}

}  // namespace gui::win32
