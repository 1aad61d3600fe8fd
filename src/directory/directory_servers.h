// Which of the directory's servers to ask: those a directory.ini next to the program names, or
// else the ones its DNS SRV record lists, in a random order, and the fallback name last. The
// list is made once a run, on a worker (the DNS query may take seconds), and the server that
// answered last is asked first from then on.
#pragma once
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zarvio::directory {

// The hosts of a DNS SRV record. An interface, so that tests never ask the real DNS.
class SrvResolver {
public:
    virtual ~SrvResolver() = default;
    // The records' target names; empty when there are none or the query failed.
    virtual std::vector<std::string> Targets(const std::wstring& name) = 0;
};

// DnsQuery_W with DNS_TYPE_SRV.
class DnsSrvResolver final : public SrvResolver {
public:
    std::vector<std::string> Targets(const std::wstring& name) override;
};

class DirectoryServers {
public:
    // resolver: null for the DNS; it must outlive this object.
    DirectoryServers(std::wstring appDir, SrvResolver* resolver, uint32_t seed);

    // The base addresses in the order to try them. Thread-safe; the first call reads
    // directory.ini and, without one, asks the resolver.
    std::vector<std::string> Ordered();
    // This server answered: it goes first.
    void Answered(const std::string& server);

private:
    std::mutex mutex_;
    std::wstring appDir_;
    SrvResolver* resolver_;
    DnsSrvResolver dns_;
    uint32_t seed_;
    std::optional<std::vector<std::string>> servers_;
};

}  // namespace zarvio::directory
