// The directory's work off the UI thread. Each request runs on a thread of its own that nobody
// joins; it leaves its answer in a box shared with the window and posts the window one message.
// The window takes the answers on the UI thread and keeps only those of the generation it still
// waits for, so the answer of an abandoned search, however late, changes nothing. Once the
// window is gone the box drops what still arrives.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "directory/directory_client.h"

namespace zarvio::directory {

struct DirectoryAnswer {
    enum class Kind { Search, Countries, Click } kind = Kind::Search;
    uint64_t generation = 0;
    SearchResult search;
    CountriesResult countries;
    bool clicked = false;
};

class AnswerBox {
public:
    void Attach(HWND window, UINT message);
    void Detach();
    void Post(DirectoryAnswer answer);
    std::vector<DirectoryAnswer> Take();

private:
    std::mutex mutex_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    bool wakePending_ = false;
    std::vector<DirectoryAnswer> answers_;
};

using FetcherFactory = std::function<std::unique_ptr<DirectoryFetcher>()>;
using DirectoryWork = std::function<DirectoryAnswer(DirectoryClient& client)>;

// Runs work on a new thread with a client over the servers and a fresh fetcher, and posts what
// it returns. The returned fetcher is the job's, for cancelling it; null when no thread could
// be had (the answer, with reason, is then posted at once).
std::shared_ptr<DirectoryFetcher> StartJob(std::shared_ptr<AnswerBox> box, std::shared_ptr<DirectoryServers> servers,
                                           const FetcherFactory& makeFetcher, DirectoryWork work,
                                           DirectoryAnswer whenNoThread);

}  // namespace zarvio::directory
