// A media-player listener that records what it hears, for the player tests.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/media_player.h"

namespace zarvio::test {

struct PlayerEvents final : MediaPlayerListener {
    void OnPlayStateChange(int state) override { states.push_back(state); }
    void OnStatusChange() override {}
    void OnTitleChange(const std::wstring& title) override {
        titles.push_back(title);
        titleTimes.push_back(GetTickCount64());
    }
    void OnPlaybackFailed(const std::wstring& text) override { failures.push_back(text); }
    bool Saw(int s) const { return std::find(states.begin(), states.end(), s) != states.end(); }

    std::vector<int> states;
    std::vector<std::wstring> titles;
    std::vector<ULONGLONG> titleTimes;  // when each title arrived
    std::vector<std::wstring> failures;
};

}  // namespace zarvio::test
