// The now-playing line of the main window: a two-line label between the green lines at the top,
// the chosen station on the first line and the title heard (or why the station cannot play) on
// the second, each line cut with an ellipsis. The label's own text holds both lines, so screen
// readers read what is shown. It also gives the tray tip that names what plays.
#pragma once
#include <windows.h>

#include <string>

namespace zarvio {

// The station's name in a list entry ("001 ★ 中国之声" -> "中国之声"); the entry itself when
// it has no number and star.
std::wstring StationNameOf(const std::wstring& entry);

// "Zarvio - name - title", at most 127 characters (what the tray keeps); the plain tip when no
// title is known.
std::wstring NowPlayingTrayTip(const std::wstring& name, const std::wstring& title, const std::wstring& plainTip);

class NowPlaying {
public:
    // The label must be owner-drawn (SS_OWNERDRAW); the form calls Draw for its WM_DRAWITEM.
    void Attach(HWND label) { label_ = label; }
    HWND label() const { return label_; }

    // A new choice: the station's entry, and no title yet.
    void SetStation(const std::wstring& entry);
    void SetTitle(const std::wstring& title);
    void SetFailure(const std::wstring& text);
    void ClearTitle();

    const std::wstring& station() const { return station_; }
    // The title heard now; empty when none is known (also while a failure is shown).
    const std::wstring& title() const { return title_; }
    const std::wstring& secondLine() const { return second_; }

    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    void Update();

    HWND label_ = nullptr;
    std::wstring station_;
    std::wstring title_;
    std::wstring second_;
};

}  // namespace zarvio
