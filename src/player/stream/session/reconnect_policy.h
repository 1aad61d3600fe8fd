// Which failures of a stream are final, and how long to wait before reconnecting after the
// others: the session's rules, which the parts that report failures need not know.
#pragma once
#include <cstdint>

#include "player/stream/base/failure.h"

namespace zarvio::stream {

// Final failures end playback (state 10). Retried ones reconnect: DNS, refused, timeouts,
// stalls, drops, HTTP 408, 429, 502, 503 and 504, a garbled answer and any error the transport
// cannot name (a passing fault is likelier than a lasting one there). Every other 4xx and 5xx, certificate errors,
// bad addresses and undecodable content are final.
bool IsFinal(const Failure& failure);

// The waits before the n-th reconnect in a row: 0.5, 1, 2, 4, 8 s, then every 15 s.
class ReconnectBackoff {
public:
    // The wait before the next attempt, in milliseconds; each call advances.
    uint32_t NextDelayMs();
    // After a connection that played: the next failure waits 0.5 s again.
    void Reset();
    int Attempts() const { return attempts_; }

private:
    int attempts_ = 0;
};

}  // namespace zarvio::stream
