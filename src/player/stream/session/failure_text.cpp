#include "player/stream/session/failure_text.h"

namespace zarvio::stream {

std::wstring FailureText(const Failure& failure) {
    std::wstring reason;
    switch (failure.cause) {
        case FailureCause::HttpStatus: reason = L"HTTP " + std::to_wstring(failure.httpStatus); break;
        case FailureCause::Certificate: reason = L"证书无效"; break;
        case FailureCause::TooManyRedirects: reason = L"重定向过多"; break;
        case FailureCause::BadAddress: reason = L"地址无效"; break;
        case FailureCause::Undecodable: reason = L"无法识别的音频格式"; break;
        case FailureCause::NoDecoder: reason = L"系统缺少此格式的解码器"; break;
        case FailureCause::BadPlaylist: reason = L"播放列表无效"; break;
        case FailureCause::Unsupported: reason = L"不支持的格式"; break;
        case FailureCause::DnsFailure: reason = L"找不到服务器"; break;
        case FailureCause::ConnectionRefused: reason = L"服务器拒绝连接"; break;
        case FailureCause::Timeout: reason = L"连接超时"; break;
        case FailureCause::Stall: reason = L"数据中断"; break;
        case FailureCause::Dropped: reason = L"连接中断"; break;
        default: reason = L"未知错误"; break;
    }
    return L"无法播放此电台（" + reason + L"）";
}

}  // namespace zarvio::stream
