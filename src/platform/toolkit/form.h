// A top-level window of the program with named child controls laid out in twips. Each form
// object owns its window: the window procedure finds the object again through GWLP_USERDATA.
#pragma once
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/handles.h"
#include "platform/toolkit/controls.h"
#include "platform/toolkit/fonts.h"
#include "platform/toolkit/twips.h"

namespace zarvio {

struct FormOptions {
    std::wstring caption;
    int clientWidthTwips = 0;
    int clientHeightTwips = 0;
    bool minimizeBox = true;
    HICON icon = nullptr;  // not owned
    COLORREF background = GetSysColor(COLOR_BTNFACE);

    // A window of fixed size without a minimize box, the way the program's secondary windows are.
    static FormOptions Secondary(std::wstring caption, int clientWidthTwips, int clientHeightTwips) {
        FormOptions o;
        o.caption = std::move(caption);
        o.clientWidthTwips = clientWidthTwips;
        o.clientHeightTwips = clientHeightTwips;
        o.minimizeBox = false;
        return o;
    }
};

// A straight line the form draws on its surface.
struct FormLine {
    int x1, y1, x2, y2;  // twips
    int widthPixels;
    COLORREF colour;
};

struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { if (IsWindow(h)) DestroyWindow(h); }
};

// A class derived from Form must call Destroy() in its own destructor: the window's last
// messages (Form_Unload, OnMessage) reach the derived part only while it still exists. The base
// destructor stops the program with a message when it finds the window still there.
class Form {
public:
    Form();
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND hwnd() const { return hwnd_; }

    // Creates the (hidden) window, calls BuildControls and then Form_Load.
    bool Create(const FormOptions& options);
    // Create, then show (SW_SHOW) and activate the window.
    bool CreateShown(const FormOptions& options);
    void Destroy();
    void CenterOnScreen();
    // Shows the window with the show command and brings it to the foreground.
    void ShowAndActivate(int showCommand);

    // The control with this id, on the form or in any frame on it; nullptr when there is none.
    HWND Control(int id) const;

    // Controls. parent is the form itself or a frame; positions are relative to it.
    HWND AddButton(HWND parent, int id, TwipsRect r, const std::wstring& text);
    HWND AddCheckBox(HWND parent, int id, TwipsRect r, const std::wstring& text);
    HWND AddListBox(HWND parent, int id, TwipsRect r);
    HWND AddTextBox(HWND parent, int id, TwipsRect r);
    HWND AddLabel(HWND parent, int id, TwipsRect r, const std::wstring& text);
    HWND AddFrame(HWND parent, int id, TwipsRect r, const std::wstring& text);
    HWND AddSlider(HWND parent, int id, TwipsRect r, int minimum, int maximum);
    HWND AddStatusBar(int id, TwipsRect r);
    void AddLine(const FormLine& line);
    // Lays a status bar out in the panels, each with its own tip.
    void ConfigureStatusBar(HWND bar, const StatusPanel* panels, int count);

    void SetColors(HWND control, std::optional<COLORREF> text, std::optional<COLORREF> back = std::nullopt);
    void SetFont(HWND control, const FontDescription& font);
    // The form's font for the description, shared by every control that asks for an equal one
    // and released with the window; nullptr when it cannot be made.
    HFONT FontFor(const FontDescription& font);
    void SetToolTip(HWND control, const std::wstring& text);
    std::wstring ToolTip(HWND control) const;
    HWND ToolTipWindow() const { return tooltip_.get(); }
    // A list's tip names its selected entry (none: empty), wherever the pointer is over it.
    void ShowSelectionAsToolTip(HWND list);

    // Gives each part of a status bar its own tip: a tool of the form's tooltip over the part's
    // rectangle. PlacePanelToolTips moves the tools to where the parts now are.
    void SetPanelToolTips(HWND bar, const std::vector<std::wstring>& tips);
    void PlacePanelToolTips(HWND bar);

    // Mouse messages of the toolkit's controls pass through here so their tooltips show.
    void RelayToolTip(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);

    static Form* FromWindow(HWND hwnd);
    static void RegisterFormClass();
    const std::vector<FormLine>& Lines() const { return lines_; }

protected:
    virtual void BuildControls() {}
    virtual void Form_Load() {}
    // Return true to let the window be destroyed; false keeps it (for example hidden).
    virtual bool Form_QueryUnload() { return true; }
    virtual void Form_Unload() {}
    virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
    virtual void OnHScroll(HWND /*control*/, int /*code*/) {}
    virtual void OnTimer(UINT_PTR /*id*/) {}
    virtual void OnControlMouseMove(int /*id*/, HWND /*control*/) {}
    // Any other message; set handled to keep it from the default procedure.
    virtual LRESULT OnMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& handled) {
        handled = false;
        return 0;
    }

private:
    struct Colors {
        std::optional<COLORREF> text;
        Brush back;
    };
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT ControlColor(HDC dc, HWND control);
    void PaintLines(HDC dc);
    HWND AddChild(const wchar_t* cls, DWORD style, DWORD exStyle, HWND parent, int id, TwipsRect r,
                  const std::wstring& text);
    bool RestoreFocus();

    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;  // the control that had the focus when the form was last deactivated
    Brush background_;
    COLORREF backgroundColour_ = 0;
    UniqueHandle<HWND, WindowTraits> tooltip_;
    FontCache fonts_;
    std::map<HWND, Colors> colors_;
    std::map<HWND, std::wstring> tips_;
    std::map<HWND, std::vector<std::wstring>> panelTips_;  // status bar -> one tip per part
    std::vector<FormLine> lines_;
};

}  // namespace zarvio
