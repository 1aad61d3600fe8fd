// Helpers of the hostile-file tests: what a folder holds (to prove that reading wrote nothing),
// reproducible random bytes and a deadline for calls that must not hang; the other handles that
// keep a file from us come from support/file_locks.h.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "platform/files.h"
#include "platform/handles.h"
#include "support/file_locks.h"

namespace zarvio::test {

// Every file under a folder with its bytes, and every subfolder as "<dir>", by relative path.
using FolderContent = std::map<std::wstring, std::string>;

inline void Collect(const std::wstring& root, const std::wstring& relative, FolderContent& out) {
    const std::wstring here = relative.empty() ? root : root + L"\\" + relative;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((here + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring rel = relative.empty() ? name : relative + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[rel] = "<dir>";
            Collect(root, rel, out);
        } else {
            // A file we cannot read right now (held by a test) still shows by its size.
            const auto bytes = ReadFileBytes(root + L"\\" + rel);
            out[rel] = bytes ? *bytes : "<unreadable " + std::to_string(found.nFileSizeLow) + ">";
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

inline FolderContent Snapshot(const std::wstring& folder) {
    FolderContent content;
    Collect(folder, L"", content);
    return content;
}

// Random bytes from a fixed seed, so a failure can be run again. Biased towards the bytes the
// readers treat specially: CR, LF, NUL, spaces, digits and the lead-byte range of code page 936.
inline std::string HostileBytes(std::mt19937& rng, size_t size) {
    static const char kSpecial[] = {'\r', '\n', '\0', ' ', '\t', '-', '+', '5', '0'};
    std::uniform_int_distribution<int> kind(0, 9), any(0, 255), lead(0x81, 0xFE),
        special(0, static_cast<int>(sizeof kSpecial) - 1);
    std::string bytes(size, '\0');
    for (auto& b : bytes) {
        const int k = kind(rng);
        if (k < 3) b = kSpecial[special(rng)];
        else if (k < 6) b = static_cast<char>(lead(rng));
        else b = static_cast<char>(any(rng));
    }
    return bytes;
}

// Runs call on a worker thread and says whether it returned within the time. A reader that
// waits for a file held by someone else would never return.
inline bool FinishesWithin(std::chrono::milliseconds limit, std::function<void()> call) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([call = std::move(call), done] {
        call();
        done->set_value();
    }).detach();
    return finished.wait_for(limit) == std::future_status::ready;
}

}  // namespace zarvio::test
