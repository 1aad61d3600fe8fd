// Which failures of a stream are final and how long to wait before reconnecting after the others.
// Plain C++, no Windows calls.
#pragma once
#include <cstdint>

namespace zarvio::stream {

// What went wrong with a connection, as the transport and the decoders report it.
enum class FailureCause {
    DnsFailure,         // the host name could not be resolved
    ConnectionRefused,
    Timeout,            // connect or answer timeout
    Stall,              // no data within the receive timeout
    Dropped,            // the connection ended before its end (or a stream without an end ended)
    HttpStatus,         // an answer other than 2xx; see the status
    Certificate,        // TLS certificate not trusted, expired, or for another host
    TooManyRedirects,
    BadAddress,         // the address cannot be parsed or names an unsupported scheme
    Undecodable,        // content no decoder takes
    NoDecoder,          // the content is known but the system lacks its decoder
    BadPlaylist,        // a playlist that cannot be read, leads back to itself or nests too deep
    Unsupported,        // a format or encryption this player does not take (LATM, SAMPLE-AES)
    InvalidResponse,    // the server's answer is not HTTP as WinHTTP reads it (retried; on plain
                        // http the Winsock client tries once more first)
    Other,
};

struct Failure {
    FailureCause cause = FailureCause::Other;
    int httpStatus = 0;  // with HttpStatus
};

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
