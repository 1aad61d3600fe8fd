#include "directory/directory_jobs.h"

#include <system_error>
#include <thread>
#include <utility>

namespace zarvio::directory {

void AnswerBox::Attach(HWND window, UINT message) {
    std::lock_guard lock(mutex_);
    window_ = window;
    message_ = message;
}

void AnswerBox::Detach() {
    std::lock_guard lock(mutex_);
    window_ = nullptr;
    answers_.clear();
}

void AnswerBox::Post(DirectoryAnswer answer) {
    std::lock_guard lock(mutex_);
    if (!window_) return;
    answers_.push_back(std::move(answer));
    // One message covers every answer until the window takes them; a failed post is tried
    // again with the next answer.
    if (!wakePending_) wakePending_ = PostMessageW(window_, message_, 0, 0) != FALSE;
}

std::vector<DirectoryAnswer> AnswerBox::Take() {
    std::lock_guard lock(mutex_);
    wakePending_ = false;
    return std::exchange(answers_, {});
}

std::shared_ptr<DirectoryFetcher> StartJob(std::shared_ptr<AnswerBox> box, std::shared_ptr<DirectoryServers> servers,
                                           const FetcherFactory& makeFetcher, DirectoryWork work,
                                           DirectoryAnswer whenNoThread) {
    std::shared_ptr<DirectoryFetcher> fetcher = makeFetcher ? makeFetcher() : CreateDirectoryFetcher();
    try {
        std::thread([box, servers, fetcher, work = std::move(work)] {
            DirectoryClient client(*servers, *fetcher);
            box->Post(work(client));
        }).detach();
    } catch (const std::system_error&) {
        box->Post(std::move(whenNoThread));
        return nullptr;
    }
    return fetcher;
}

}  // namespace zarvio::directory
