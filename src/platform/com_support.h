// Small owners for COM: the apartment of a thread and a BSTR.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace zarvio {

// Joins the calling thread to a COM apartment for the owner's lifetime: single-threaded for
// windows (the default), multithreaded for workers. A failed CoInitializeEx (for example a
// thread already in the other kind of apartment) is not undone.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool Joined() const { return SUCCEEDED(hr_); }
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

// Owner of one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text)
        : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { reset(); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& o) noexcept : s_(std::exchange(o.s_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept {
        if (this != &o) { reset(); s_ = std::exchange(o.s_, nullptr); }
        return *this;
    }

    BSTR get() const { return s_; }
    // For out-parameters: frees what is held and hands out the slot.
    BSTR* put() { reset(); return &s_; }
    void reset() {
        if (s_) { SysFreeString(s_); s_ = nullptr; }
    }
    std::wstring str() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }

private:
    BSTR s_ = nullptr;
};

}  // namespace zarvio
