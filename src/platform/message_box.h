// Message boxes behind an interface: the windows ask their questions without knowing who answers.
#pragma once
#include <windows.h>

#include <string>

namespace zarvio {

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Returns the button pressed (IDYES, IDNO, IDOK, ...), as MessageBoxW does.
    virtual int Show(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) = 0;
};

class Win32MessageBox final : public MessageBoxService {
public:
    int Show(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) override {
        return MessageBoxW(owner, text.c_str(), title.c_str(), style);
    }
};

}  // namespace zarvio
