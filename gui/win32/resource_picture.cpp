#include "gui/win32/resource_picture.h"

#include <cstring>

// After <windows.h>, which they need.
#include <ole2.h>
#include <olectl.h>

namespace gui::win32 {

namespace {

struct ReleaseObject {
    void operator()(IUnknown* object) const { object->Release(); }
};

struct FreeGlobal {
    void operator()(HGLOBAL memory) const { ::GlobalFree(memory); }
};

// The loader reads from a stream, and a stream needs memory of its own.
std::unique_ptr<IStream, ReleaseObject> StreamOver(const void* bytes, DWORD size) {
    std::unique_ptr<void, FreeGlobal> copy(::GlobalAlloc(GMEM_MOVEABLE, size));
    void* target = copy != nullptr ? ::GlobalLock(copy.get()) : nullptr;
    if (target == nullptr) {
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(copy.get());
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(copy.get(), TRUE, &stream))) {
        return nullptr;
    }
    copy.release();  // the stream frees it
    return std::unique_ptr<IStream, ReleaseObject>(stream);
}

IPicture* LoadPicture(const std::string& resourceName) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC resource =
        ::FindResourceW(module, platform::Wide(resourceName).c_str(), MAKEINTRESOURCEW(10));
    if (resource == nullptr) {
        return nullptr;
    }
    const DWORD size = ::SizeofResource(module, resource);
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) {
        return nullptr;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto stream = StreamOver(bytes, size);
    IPicture* picture = nullptr;
    if (stream == nullptr ||
        FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture)))) {
        return nullptr;
    }
    return picture;
}

}  // namespace

void ResourcePicture::Release::operator()(IPicture* picture) const {
    picture->Release();
}

ResourcePicture::ResourcePicture(const std::string& resourceName)
    : picture_(LoadPicture(resourceName)) {}

HBITMAP ResourcePicture::Bitmap() const {
    OLE_HANDLE handle = 0;
    if (picture_ == nullptr || FAILED(picture_->get_Handle(&handle))) {
        return nullptr;
    }
    return reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
}

GdiObject<HBITMAP> ResourcePicture::Stretched(SIZE size) const {
    const HBITMAP source = Bitmap();
    BITMAP natural{};
    if (source == nullptr || ::GetObjectW(source, sizeof natural, &natural) == 0) {
        return nullptr;
    }
    const HDC screen = ::GetDC(nullptr);
    const HDC from = ::CreateCompatibleDC(screen);
    const HDC to = ::CreateCompatibleDC(screen);
    GdiObject<HBITMAP> copy(::CreateCompatibleBitmap(screen, size.cx, size.cy));
    if (from != nullptr && to != nullptr && copy != nullptr) {
        const HGDIOBJ fromBefore = ::SelectObject(from, source);
        const HGDIOBJ toBefore = ::SelectObject(to, copy.get());
        ::SetStretchBltMode(to, HALFTONE);
        ::SetBrushOrgEx(to, 0, 0, nullptr);
        ::StretchBlt(to, 0, 0, size.cx, size.cy, from, 0, 0, natural.bmWidth, natural.bmHeight,
                     SRCCOPY);
        ::SelectObject(to, toBefore);
        ::SelectObject(from, fromBefore);
    }
    ::DeleteDC(to);
    ::DeleteDC(from);
    ::ReleaseDC(nullptr, screen);
    return copy;
}

}  // namespace gui::win32
