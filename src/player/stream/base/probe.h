// What a format's probe says of the first bytes of some data.
#pragma once

namespace zarvio::stream {

enum class Probe {
    No,        // the bytes are not of the format
    NeedMore,  // too few bytes to tell
    Yes,       // the bytes start as the format does
};

}  // namespace zarvio::stream
