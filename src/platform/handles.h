// Owners for Win32 handles: one type per kind of handle, movable, never copyable.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <utility>

namespace zarvio {

// Generic owner: Traits::Close(h) releases, Traits::Invalid() is the empty value.
template <typename H, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) { reset(); h_ = std::exchange(o.h_, Traits::Invalid()); }
        return *this;
    }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    H release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(H h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }
private:
    H h_ = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
template <typename T>
struct GdiObjectTraits {
    static T Invalid() { return nullptr; }
    static void Close(T h) { DeleteObject(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct KeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};

using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;
using MemoryDc = UniqueHandle<HDC, MemoryDcTraits>;       // from CreateCompatibleDC
using Bitmap = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using Brush = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;
using Pen = UniqueHandle<HPEN, GdiObjectTraits<HPEN>>;
using Font = UniqueHandle<HFONT, GdiObjectTraits<HFONT>>;
using Region = UniqueHandle<HRGN, GdiObjectTraits<HRGN>>;
using Icon = UniqueHandle<HICON, IconTraits>;
using RegKey = UniqueHandle<HKEY, KeyTraits>;
using Menu = UniqueHandle<HMENU, MenuTraits>;

// A DC borrowed from a window with GetDC or GetWindowDC, given back with ReleaseDC.
class WindowDc {
public:
    static WindowDc Client(HWND w) { return WindowDc(w, GetDC(w)); }
    static WindowDc Whole(HWND w) { return WindowDc(w, GetWindowDC(w)); }
    ~WindowDc() { if (dc_) ReleaseDC(wnd_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& o) noexcept : wnd_(o.wnd_), dc_(std::exchange(o.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
private:
    WindowDc(HWND w, HDC dc) : wnd_(w), dc_(dc) {}
    HWND wnd_;
    HDC dc_;
};

// BeginPaint/EndPaint pair.
class PaintDc {
public:
    explicit PaintDc(HWND w) : wnd_(w) { dc_ = BeginPaint(w, &ps_); }
    ~PaintDc() { EndPaint(wnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }
    const PAINTSTRUCT& info() const { return ps_; }
private:
    HWND wnd_;
    HDC dc_;
    PAINTSTRUCT ps_{};
};

// Selects an object into a DC and puts the previous one back on scope exit.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~SelectGuard() { if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
private:
    HDC dc_;
    HGDIOBJ old_;
};

// Owner of one COM interface pointer.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) { reset(); p_ = std::exchange(o.p_, nullptr); }
        return *this;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** put() { reset(); return &p_; }
    void reset() { if (p_) { p_->Release(); p_ = nullptr; } }
    template <typename U>
    HRESULT As(ComPtr<U>& out) const {
        return p_ ? p_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(out.put())) : E_POINTER;
    }
private:
    T* p_ = nullptr;
};

}  // namespace zarvio
