// Owners of Win32 resources: each closes, deletes, releases or undoes what
// it holds when it goes out of scope, on every way out of a function. They
// move but never copy, and a moved-from owner holds nothing. No exceptions:
// the calls that acquire report the system's result as they always did.
#ifndef QT_SUPPORT_OWNED_H
#define QT_SUPPORT_OWNED_H

#include <windows.h>
#include <objbase.h>

// One handle and the rule that frees it: Traits gives Type, Invalid() and
// Free(handle) (true when the system freed it).
template <class Traits>
class Owned {
public:
    typedef typename Traits::Type Type;

    Owned() : handle_(Traits::Invalid()) {}
    explicit Owned(Type handle) : handle_(handle) {}
    ~Owned() { Close(); }
    Owned(Owned&& other) : handle_(other.Detach()) {}
    Owned& operator=(Owned&& other)
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    bool IsValid() const { return handle_ != Traits::Invalid(); }
    Type Get() const { return handle_; }
    // Frees what is held; false when the system reports it could not.
    bool Close()
    {
        bool ok = true;
        if (IsValid())
            ok = Traits::Free(handle_);
        handle_ = Traits::Invalid();
        return ok;
    }
    void Reset(Type handle)
    {
        Close();
        handle_ = handle;
    }
    // Hands the handle over; this owner then holds nothing.
    Type Detach()
    {
        Type handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }
    // For calls that give the handle through a pointer: frees the old one.
    Type* Receive()
    {
        Close();
        return &handle_;
    }

private:
    Type handle_;
};

struct FileHandleTraits {
    typedef HANDLE Type;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Free(HANDLE h) { return CloseHandle(h) != FALSE; }
};
struct KernelHandleTraits {
    typedef HANDLE Type;
    static HANDLE Invalid() { return nullptr; }
    static bool Free(HANDLE h) { return CloseHandle(h) != FALSE; }
};
struct FindHandleTraits {
    typedef HANDLE Type;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Free(HANDLE h) { return FindClose(h) != FALSE; }
};
template <class T>
struct GdiObjectTraits {
    typedef T Type;
    static T Invalid() { return nullptr; }
    static bool Free(T h) { return DeleteObject(h) != FALSE; }
};
struct MemoryDcTraits {
    typedef HDC Type;
    static HDC Invalid() { return nullptr; }
    static bool Free(HDC h) { return DeleteDC(h) != FALSE; }
};
struct IconTraits {
    typedef HICON Type;
    static HICON Invalid() { return nullptr; }
    static bool Free(HICON h) { return DestroyIcon(h) != FALSE; }
};
struct MenuTraits {
    typedef HMENU Type;
    static HMENU Invalid() { return nullptr; }
    static bool Free(HMENU h) { return DestroyMenu(h) != FALSE; }
};
struct RegistryKeyTraits {
    typedef HKEY Type;
    static HKEY Invalid() { return nullptr; }
    static bool Free(HKEY h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};

// CreateFile's result: INVALID_HANDLE_VALUE when nothing is open.
typedef Owned<FileHandleTraits> OwnedFile;
// Process, thread and token handles: null when nothing is open.
typedef Owned<KernelHandleTraits> OwnedHandle;
// FindFirstFile's search.
typedef Owned<FindHandleTraits> OwnedFind;
// A pen, brush, font or bitmap this code created.
typedef Owned<GdiObjectTraits<HGDIOBJ>> OwnedGdiObject;
typedef Owned<GdiObjectTraits<HFONT>> OwnedFont;
typedef Owned<GdiObjectTraits<HBITMAP>> OwnedBitmap;
// CreateCompatibleDC's result.
typedef Owned<MemoryDcTraits> OwnedMemoryDC;
// An icon loaded with LoadImage (not a shared one) and a loaded menu.
typedef Owned<IconTraits> OwnedIcon;
typedef Owned<MenuTraits> OwnedMenu;

// A registry key: open and create return the system's result, the
// destructor closes.
class RegistryKey {
public:
    RegistryKey() = default;
    LONG Open(HKEY parent, const char* name, REGSAM access)
    {
        return RegOpenKeyExA(parent, name, 0, access, key_.Receive());
    }
    // disposition, when given, tells whether the key is new.
    LONG Create(HKEY parent, const char* name, REGSAM access, DWORD* disposition = nullptr)
    {
        return RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                               key_.Receive(), disposition);
    }
    // size: in, the room in data; out, the bytes stored.
    LONG QueryValue(const char* name, DWORD* type, void* data, DWORD* size) const
    {
        return RegQueryValueExA(key_.Get(), name, nullptr, type, static_cast<BYTE*>(data), size);
    }
    // A REG_SZ value with its terminator.
    LONG SetText(const char* name, const char* text)
    {
        return RegSetValueExA(key_.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                              DWORD(lstrlenA(text) + 1));
    }
    LONG DeleteValue(const char* name) { return RegDeleteValueA(key_.Get(), name); }
    LONG DeleteSubKey(const char* name) { return RegDeleteKeyA(key_.Get(), name); }
    bool IsOpen() const { return key_.IsValid(); }
    HKEY Get() const { return key_.Get(); }
    bool Close() { return key_.Close(); }

private:
    Owned<RegistryKeyTraits> key_;
};

// A window's DC from GetDC, given back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint to EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_;
};

// An object selected into a DC; the object it replaced goes back in when
// this ends, so the DC never keeps an object that is about to be deleted.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject()
    {
        if (old_ && old_ != HGDI_ERROR)
            SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    // False when the selection failed (the DC is as it was).
    bool IsSelected() const { return old_ && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer, released when this ends.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Release(); }
    ComPtr(ComPtr&& other) : p_(other.p_) { other.p_ = nullptr; }
    ComPtr& operator=(ComPtr&& other)
    {
        if (this != &other) {
            Release();
            p_ = other.p_;
            other.p_ = nullptr;
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For CoCreateInstance and QueryInterface: releases the old pointer.
    void** Receive()
    {
        Release();
        return reinterpret_cast<void**>(&p_);
    }
    void Release()
    {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

// CoInitialize (or OleInitialize) on this thread, undone when this ends if
// it succeeded; a failure leaves nothing to undo.
class ComScope {
public:
    explicit ComScope(bool ole = false)
        : ole_(ole), result_(ole ? OleInitialize(nullptr) : CoInitialize(nullptr)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result_)) {
            if (ole_)
                OleUninitialize();
            else
                CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    HRESULT Result() const { return result_; }

private:
    bool ole_;
    HRESULT result_;
};

// The clipboard, open for this window while this lives.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : owner_(owner), open_(OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard()
    {
        if (open_)
            CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool IsOpen() const { return open_; }
    // Another try while another program holds it; true once it is open.
    bool TryAgain()
    {
        if (!open_)
            open_ = OpenClipboard(owner_) != FALSE;
        return open_;
    }

private:
    HWND owner_;
    bool open_;
};

// A global memory block locked while this lives.
class GlobalLocked {
public:
    explicit GlobalLocked(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    ~GlobalLocked()
    {
        if (data_)
            GlobalUnlock(memory_);
    }
    GlobalLocked(const GlobalLocked&) = delete;
    GlobalLocked& operator=(const GlobalLocked&) = delete;
    // Null when the block could not be locked.
    void* Get() const { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

#endif
