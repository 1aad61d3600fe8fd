#include "directory/directory_servers.h"

#include <windows.h>
#include <windns.h>

#include <algorithm>

#include "directory/directory_requests.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace zarvio::directory {
namespace {

struct DnsRecordTraits {
    static PDNS_RECORD Invalid() { return nullptr; }
    static void Close(PDNS_RECORD r) { DnsRecordListFree(r, DnsFreeRecordList); }
};
using DnsRecords = UniqueHandle<PDNS_RECORD, DnsRecordTraits>;

}  // namespace

std::vector<std::string> DnsSrvResolver::Targets(const std::wstring& name) {
    std::vector<std::string> hosts;
    PDNS_RECORD first = nullptr;
    if (DnsQuery_W(name.c_str(), DNS_TYPE_SRV, DNS_QUERY_STANDARD, nullptr, &first, nullptr) != 0) return hosts;
    const DnsRecords records(first);
    for (PDNS_RECORD r = records.get(); r; r = r->pNext) {
        if (r->wType == DNS_TYPE_SRV && r->Data.SRV.pNameTarget) hosts.push_back(ToUtf8(r->Data.SRV.pNameTarget));
    }
    return hosts;
}

DirectoryServers::DirectoryServers(std::wstring appDir, SrvResolver* resolver, uint32_t seed)
    : appDir_(std::move(appDir)), resolver_(resolver), seed_(seed) {}

std::vector<std::string> DirectoryServers::Ordered() {
    std::lock_guard lock(mutex_);
    if (!servers_) {
        // A directory.ini with servers is all there is: the program then asks nobody else.
        std::vector<std::string> named;
        if (const auto ini = ReadFileBytes(JoinPath(appDir_, kServersFileName))) named = ServersOfIni(*ini);
        if (!named.empty()) {
            servers_ = std::move(named);
        } else {
            SrvResolver& resolver = resolver_ ? *resolver_ : static_cast<SrvResolver&>(dns_);
            servers_ = ServerOrder(resolver.Targets(kServersSrvName), seed_);
        }
    }
    return *servers_;
}

void DirectoryServers::Answered(const std::string& server) {
    std::lock_guard lock(mutex_);
    if (!servers_) return;
    auto it = std::find(servers_->begin(), servers_->end(), server);
    if (it != servers_->end()) std::rotate(servers_->begin(), it, it + 1);
}

}  // namespace zarvio::directory
