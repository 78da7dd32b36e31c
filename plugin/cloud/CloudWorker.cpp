#include "plugin/cloud/CloudWorker.h"

#include <chrono>
#include <cstring>
#include <new>
#include <thread>

#include "plugin/cloud/CatalogueUrl.h"

CCloudWorker::CCloudWorker(bool replyBuffer) {
    if (!replyBuffer) return;
    m_reply.reset(new (std::nothrow) char[kReplyCapacity]);
    m_capacity = m_reply ? kReplyCapacity : 0;
}

CLibCurlHelper CCloudWorker::Http() {
    return CLibCurlHelper([this] { return IsStopRequested() != 0; });
}

bool CCloudWorker::WaitUnlessStopped(int ms) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        if (IsStopRequested()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !IsStopRequested();
}

bool CCloudWorker::Post(std::string_view path, const char* body, const char16_t* failMessage,
                        std::string_view& reply) {
    reply = {};
    if (m_capacity > 0) std::memset(m_reply.get(), 0, static_cast<std::size_t>(m_capacity));
    const std::string url = CatalogueUrl(path);
    const int received = Http().HttpPost(url.c_str(), body, m_reply.get(), m_capacity);
    if (received <= 0) {
        m_message = failMessage;
        return false;
    }
    reply = std::string_view(m_reply.get(), static_cast<std::size_t>(received));
    return true;
}

bool CCloudWorker::TakeResult(ReplyResult result, const char16_t* parseMessage, const char16_t* failMessage) {
    switch (result) {
    case ReplyResult::kAccepted:
        return true;
    case ReplyResult::kNotOk:
        return false;  // the reply's own message is already there
    case ReplyResult::kUnparsable:
        m_message = parseMessage;
        return false;
    case ReplyResult::kRefused:
        m_message = failMessage;
        return false;
    }
    return false;
}
