#include "player/stream/session/notice_box.h"

#include <utility>

namespace zarvio::stream {

void NoticeBox::Attach(HWND window, UINT message) {
    std::lock_guard lock(mutex_);
    window_ = window;
    message_ = message;
}

void NoticeBox::Detach() {
    std::lock_guard lock(mutex_);
    window_ = nullptr;
    notices_.clear();
    wakePending_ = false;
}

void NoticeBox::Post(Notice notice) {
    std::lock_guard lock(mutex_);
    if (!window_) return;
    notices_.push_back(std::move(notice));
    if (!wakePending_) wakePending_ = wake_ ? wake_(window_, message_) : PostMessageW(window_, message_, 0, 0) != FALSE;
}

std::vector<Notice> NoticeBox::Take() {
    std::lock_guard lock(mutex_);
    wakePending_ = false;
    return std::exchange(notices_, {});
}

}  // namespace zarvio::stream

namespace zarvio::stream {

bool NoticeBox::Empty() {
    std::lock_guard lock(mutex_);
    return notices_.empty();
}

}  // namespace zarvio::stream
