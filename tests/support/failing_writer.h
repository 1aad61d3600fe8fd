// A file writer that passes every write to the real file system except the ones it is told to
// fail, counted from 1 over appends, replacements and removals alike.
#pragma once
#include <windows.h>

#include <set>

#include "platform/files.h"

namespace zarvio::test {

struct FailingWriter : FileWriter {
    std::set<int> failing;  // the numbers of the writes that fail
    int count = 0;
    bool Next() { return failing.count(++count) == 0; }
    bool Append(const std::wstring& path, std::string_view bytes) override {
        return Next() && SystemFileWriter().Append(path, bytes);
    }
    bool Replace(const std::wstring& path, std::string_view bytes) override {
        return Next() && SystemFileWriter().Replace(path, bytes);
    }
    bool Remove(const std::wstring& path) override { return Next() && SystemFileWriter().Remove(path); }
};

}  // namespace zarvio::test
