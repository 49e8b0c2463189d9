#pragma once

// The one place that includes <windows.h>. The installer runs on Windows XP and later:
// newer functions are looked up at run time.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>

// The installer calls the wide functions by their own names; these generic macros would
// rename methods of the platform interfaces.
#undef CopyFile
#undef CreateDirectory
#undef DeleteFile
#undef MoveFile
#undef OemToAnsi
#undef SetCurrentDirectory

#include <optional>
#include <string>
#include <utility>

namespace corvalis::win32 {

// Owns one OS handle and releases it with its traits' Close.
template <typename Traits> class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { Reset(); }

    Handle Get() const { return handle_; }
    Handle* Receive()
    {
        Reset();
        return &handle_;
    }
    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid())
    {
        if (Traits::IsValid(handle_))
            Traits::Close(handle_);
        handle_ = handle;
    }
    explicit operator bool() const { return Traits::IsValid(handle_); }

private:
    Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};

// A handle that is null when there is none and is released by one call.
template <typename HandleType, auto CloseFunction> struct NullableHandleTraits {
    using Handle = HandleType;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { CloseFunction(h); }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;
using ScopedRegKey = ScopedHandle<NullableHandleTraits<HKEY, ::RegCloseKey>>;
using ScopedModule = ScopedHandle<NullableHandleTraits<HMODULE, ::FreeLibrary>>;
using ScopedFont = ScopedHandle<NullableHandleTraits<HFONT, ::DeleteObject>>;
using ScopedBrush = ScopedHandle<NullableHandleTraits<HBRUSH, ::DeleteObject>>;
using ScopedBitmap = ScopedHandle<NullableHandleTraits<HBITMAP, ::DeleteObject>>;
using ScopedIcon = ScopedHandle<NullableHandleTraits<HICON, ::DestroyIcon>>;
using ScopedMemoryDC = ScopedHandle<NullableHandleTraits<HDC, ::DeleteDC>>;

// A window's device context (the screen's for nullptr), released with the window.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    ~ScopedWindowDC()
    {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, the one before it put back at the end.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;
    ~ScopedSelection() { ::SelectObject(dc_, previous_); }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A reference to a COM interface.
template <typename Interface> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    Interface* Get() const { return ptr_; }
    Interface* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    Interface** Receive()
    {
        Reset();
        return &ptr_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    void Reset()
    {
        if (ptr_ != nullptr)
            std::exchange(ptr_, nullptr)->Release();
    }
    // QueryInterface into another smart pointer; false when the object lacks the interface.
    template <typename Other> bool As(ComPtr<Other>& other, REFIID iid) const
    {
        return ptr_ != nullptr && SUCCEEDED(ptr_->QueryInterface(iid, other.ReceiveVoid()));
    }

private:
    Interface* ptr_ = nullptr;
};

// Single-threaded COM for the calling thread while the object lives.
class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (initialized_)
            ::CoUninitialize();
    }

private:
    bool initialized_;
};

// COM for the calling thread until it ends: a thread of the run that parses a document or
// asks the shell needs it, and the thread that made the services has it already.
inline void ComForThisThread()
{
    static thread_local const ComApartment apartment;
}

// A function of a system DLL that older Windows versions lack; nullptr there.
template <typename Function> Function SystemFunction(const char* module, const char* name)
{
    HMODULE handle = ::GetModuleHandleA(module);
    return handle ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name))) : nullptr;
}

// The program's UTF-8 text as Windows takes it, and back: every Windows call that takes or
// gives text is a wide one.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
std::string Narrow(const wchar_t* wide);

// 8-bit text in a code page (CP_ACP, CP_OEMCP) as UTF-16, and back: nullopt when the code
// page lacks a character; with replace, such a character becomes the code page's "?".
std::wstring FromCodePage(UINT codePage, const std::string& text);
std::optional<std::string> ToCodePage(UINT codePage, const std::wstring& text, bool replace = false);

} // namespace corvalis::win32
