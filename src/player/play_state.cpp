#include "player/play_state.h"

#include "platform/media_player.h"

namespace zarvio {
namespace {
constexpr wchar_t kPrefix[] = L"播放状态：";
}

std::optional<std::wstring> PlayStatePanelText(int state) {
    const wchar_t* text = nullptr;
    switch (state) {
        case kPlayStateStopped: text = L"已停止"; break;
        case kPlayStatePlaying: text = L"正在播放..."; break;
        case kPlayStateBuffering: text = L"正在缓冲..."; break;
        case kPlayStateTransitioning: text = L"正在连接..."; break;
        case kPlayStateReady: text = L"准备就绪！"; break;
        default: return std::nullopt;
    }
    return std::wstring(kPrefix) + text;
}

std::wstring PlayerUnavailablePanelText() {
    return std::wstring(kPrefix) + L"未找到 Windows Media Player 组件，无法播放";
}

}  // namespace zarvio
