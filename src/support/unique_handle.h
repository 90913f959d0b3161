// Move-only owners for system handles. Acquire and own on the same line:
//   UniqueHandle process(OpenProcess(...));
//   if (!process) return false;
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <utility>

template <typename Traits>
class UniqueResource {
public:
    using Value = typename Traits::Value;

    UniqueResource() = default;
    explicit UniqueResource(Value value) : value_(value) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Value get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::empty(); }

    Value release() { return std::exchange(value_, Traits::empty()); }

    void reset(Value value = Traits::empty()) {
        const Value old = std::exchange(value_, value);
        if (old != Traits::empty()) Traits::close(old);
    }

private:
    Value value_ = Traits::empty();
};

struct HandleTraits {
    using Value = HANDLE;
    static Value empty() { return nullptr; }
    static void close(Value value) { CloseHandle(value); }
};

// CreateFile and friends report failure as INVALID_HANDLE_VALUE, not as null.
struct FileHandleTraits {
    using Value = HANDLE;
    static Value empty() { return INVALID_HANDLE_VALUE; }
    static void close(Value value) { CloseHandle(value); }
};

struct FindHandleTraits {
    using Value = HANDLE;
    static Value empty() { return INVALID_HANDLE_VALUE; }
    static void close(Value value) { FindClose(value); }
};

struct ModuleTraits {
    using Value = HMODULE;
    static Value empty() { return nullptr; }
    static void close(Value value) { FreeLibrary(value); }
};

struct KeyTraits {
    using Value = HKEY;
    static Value empty() { return nullptr; }
    static void close(Value value) { RegCloseKey(value); }
};

struct ViewTraits {
    using Value = void*;
    static Value empty() { return nullptr; }
    static void close(Value value) { UnmapViewOfFile(value); }
};

struct GdiObjectTraits {
    using Value = HGDIOBJ;
    static Value empty() { return nullptr; }
    static void close(Value value) { DeleteObject(value); }
};

struct BitmapTraits {
    using Value = HBITMAP;
    static Value empty() { return nullptr; }
    static void close(Value value) { DeleteObject(value); }
};

// A device context made with CreateCompatibleDC or CreateDC.
struct DcTraits {
    using Value = HDC;
    static Value empty() { return nullptr; }
    static void close(Value value) { DeleteDC(value); }
};

// A window's context from GetDC(window), or the whole screen's from GetDC(nullptr): released to
// that window, never deleted.
struct WindowDc {
    HWND window = nullptr;
    HDC dc = nullptr;
    bool operator==(const WindowDc&) const = default;
};

struct WindowDcTraits {
    using Value = WindowDc;
    static Value empty() { return {}; }
    static void close(Value value) { ReleaseDC(value.window, value.dc); }
};

// An object selected into a context, with the object it displaced, which goes back in at the end:
// a context must not be released or deleted with one of our objects still selected.
struct ObjectSelection {
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
    bool operator==(const ObjectSelection&) const = default;
};

struct ObjectSelectionTraits {
    using Value = ObjectSelection;
    static Value empty() { return {}; }
    static void close(Value value) { SelectObject(value.dc, value.previous); }
};

// A source of the event log, from RegisterEventSourceW.
struct EventSourceTraits {
    using Value = HANDLE;
    static Value empty() { return nullptr; }
    static void close(Value value) { DeregisterEventSource(value); }
};

struct WindowTraits {
    using Value = HWND;
    static Value empty() { return nullptr; }
    static void close(Value value) { DestroyWindow(value); }
};

// An object of GDI+'s flat interface with the function that frees it: GDI+ is loaded at run time,
// so its free functions are known only then.
template <typename Object>
struct GdiplusObject {
    Object* object = nullptr;
    int(WINAPI* free)(Object*) = nullptr;
    // Empty is no object, whichever function comes with it.
    bool operator==(const GdiplusObject& other) const { return object == other.object; }
};

template <typename Object>
struct GdiplusObjectTraits {
    using Value = GdiplusObject<Object>;
    static Value empty() { return {}; }
    static void close(Value value) { value.free(value.object); }
};

struct CryptProviderTraits {
    using Value = HCRYPTPROV;
    static Value empty() { return 0; }
    static void close(Value value) { CryptReleaseContext(value, 0); }
};

struct CryptHashTraits {
    using Value = HCRYPTHASH;
    static Value empty() { return 0; }
    static void close(Value value) { CryptDestroyHash(value); }
};

struct CryptKeyTraits {
    using Value = HCRYPTKEY;
    static Value empty() { return 0; }
    static void close(Value value) { CryptDestroyKey(value); }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueFind = UniqueResource<FindHandleTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueKey = UniqueResource<KeyTraits>;
using UniqueView = UniqueResource<ViewTraits>;
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;
using UniqueBitmap = UniqueResource<BitmapTraits>;
using UniqueDc = UniqueResource<DcTraits>;
using UniqueWindowDc = UniqueResource<WindowDcTraits>;
using UniqueSelection = UniqueResource<ObjectSelectionTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;
using UniqueEventSource = UniqueResource<EventSourceTraits>;
struct GpImage;
using UniqueGdiplusImage = UniqueResource<GdiplusObjectTraits<GpImage>>;
using UniqueCryptProvider = UniqueResource<CryptProviderTraits>;
using UniqueCryptHash = UniqueResource<CryptHashTraits>;
using UniqueCryptKey = UniqueResource<CryptKeyTraits>;

// Acquisitions whose owner needs more than the handle; empty when the call fails.
inline UniqueWindowDc windowDc(HWND window) {
    const HDC dc = GetDC(window);
    return dc ? UniqueWindowDc({window, dc}) : UniqueWindowDc();
}

inline UniqueSelection selectInto(HDC dc, HGDIOBJ object) {
    const HGDIOBJ previous = SelectObject(dc, object);
    return previous ? UniqueSelection({dc, previous}) : UniqueSelection();
}

// The error is the registry's own return value, not GetLastError's.
inline UniqueKey openRegistryKey(HKEY root, const wchar_t* path, REGSAM access) {
    HKEY opened = nullptr;
    return RegOpenKeyExW(root, path, 0, access, &opened) == ERROR_SUCCESS ? UniqueKey(opened) : UniqueKey();
}
