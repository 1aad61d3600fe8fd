// What went wrong with a connection: what the transport, the sources and the decoders report,
// and what the session decides on and says.
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

}  // namespace zarvio::stream
