#pragma once
// What the catalogue downloaders share: the worker thread, the reply buffer
// and the catalogue request step. A downloader is made with std::make_shared;
// whoever starts it keeps it until it is stopped and joined, and its finish
// event holds it too, so the result it points at lives until handled.
#include <memory>
#include <string>
#include <string_view>

#include "common/http/LibCurlHelper.h"
#include "common/thread/ThreadObject.h"
#include "plugin/cloud/CatalogueReply.h"

class CCloudWorker : public CThreadObject, public std::enable_shared_from_this<CCloudWorker> {
public:
    static constexpr int kReplyCapacity = 102400;

    const std::u16string& GetMessage() const { return m_message; }

protected:
    // replyBuffer: whether the downloader keeps a reply buffer.
    explicit CCloudWorker(bool replyBuffer);

    // The HTTP client of this worker: its transfers end on a stop request.
    CLibCurlHelper Http();
    // Sleeps up to ms; false when a stop was asked for meanwhile.
    bool WaitUnlessStopped(int ms);
    template <class T>
    std::shared_ptr<T> SharedSelf(T* self) {
        std::shared_ptr<CCloudWorker> base = weak_from_this().lock();
        if (!base) return nullptr;
        return std::shared_ptr<T>(base, self);
    }

    // POSTs body to the catalogue path and returns the reply (empty on a
    // failed request, with failMessage as the message).
    bool Post(std::string_view path, const char* body, const char16_t* failMessage, std::string_view& reply);
    // Maps a reader's verdict to the message; true when accepted.
    bool TakeResult(ReplyResult result, const char16_t* parseMessage, const char16_t* failMessage);
    bool HasReplyBuffer() const { return m_capacity > 0; }

    std::u16string m_message;

private:
    std::unique_ptr<char[]> m_reply;
    int m_capacity = 0;
};
