// The About window Form4: product name, version, a dedication, the author credit and the link
// to the product's web page. Destroyed when closed; every new window opens the page again.
#pragma once
#include <string>

#include "platform/handles.h"
#include "platform/services.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/window_host.h"

namespace zarvio {

enum AboutControl : int { kAbLabel1 = 501, kAbLabel2, kAbLabel3, kAbLabel4, kAbLabel5 };

// The product's web page. The link shows it without the final "/".
inline constexpr wchar_t kProductPageUrl[] = L"https://zarvio.example/";
inline constexpr wchar_t kDedicationText[] = L"献给每一位爱听广播的朋友";
inline constexpr wchar_t kAuthorText[] = L"Zarvio 开发团队";

// "关于  Zarvio Ver1.0.16版".
std::wstring AboutCaption();

// Needs services.browser; takes nothing else.
class AboutWindow : public Form {
public:
    explicit AboutWindow(const Services& services);
    ~AboutWindow() override;

    bool Open();  // creates the window (which opens the web page) and shows it

    void Label3_Click();
    void Label3_MouseMove();
    void Form_MouseMove();

    HWND item(int id) const { return Control(id); }
    bool linkUnderlined() const { return underlined_; }

private:
    void BuildControls() override;
    void Form_Load() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnControlMouseMove(int id, HWND control) override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OpenWebPage();

    BrowserService& browser_;
    HWND label3_ = nullptr;
    // The link's two faces, from the form's fonts; switching between them changes nothing else
    // about the label.
    HFONT linkFont_ = nullptr, linkUnderlinedFont_ = nullptr;
    bool underlined_ = false;
};

// Keeps at most one About window: a command opens it, or shows and activates the open one.
using AboutHost = WindowHost<AboutWindow>;

}  // namespace zarvio
