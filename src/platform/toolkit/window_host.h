// Keeps at most one window of a kind that is destroyed when closed (the station editor, the About
// window): the first command creates and shows it, later ones show and activate the open one as
// it is, and after a close the next command creates a fresh one.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

#include "platform/services.h"

namespace zarvio {

// W is a Form with a constructor taking Services and an Open() that creates and shows it.
template <typename W>
class WindowHost {
public:
    explicit WindowHost(Services services) : services_(std::move(services)) {}

    // Runs on each new window before it opens, to hand it what Services does not carry.
    void SetPrepare(std::function<void(W&)> prepare) { prepare_ = std::move(prepare); }

    void Open() {
        if (W* open = current()) {
            open->ShowAndActivate(SW_SHOWNORMAL);
            return;
        }
        // A closed window leaves an object without a window behind; it is replaced here.
        window_ = std::make_unique<W>(services_);
        if (prepare_) prepare_(*window_);
        if (!window_->Open()) window_.reset();
    }

    // The open window, or nullptr when there is none.
    W* current() const { return window_ && window_->hwnd() ? window_.get() : nullptr; }

private:
    Services services_;
    std::unique_ptr<W> window_;
    std::function<void(W&)> prepare_;
};

}  // namespace zarvio
