#include "common/http/LibCurlHelper.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/http/CurlTransfer.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"

namespace {

using qv::http::IsSuccessStatus;

// The reply buffer handed to the in-memory writer.
struct ReplyBuffer {
    char* data;
    int capacity;
    int used;
};

std::size_t BufferWriter(char* data, std::size_t size, std::size_t count, void* context) {
    auto* reply = static_cast<ReplyBuffer*>(context);
    if (!data || !reply || !reply->data || reply->used >= reply->capacity) return CURL_WRITEFUNC_ERROR;
    const std::size_t total = size * count;
    const std::size_t room = static_cast<std::size_t>(reply->capacity - reply->used);
    const std::size_t taken = total < room ? total : room;
    std::memcpy(reply->data + reply->used, data, taken);
    reply->used += static_cast<int>(taken);
    return taken;  // less than given ends the transfer: the reply did not fit
}

struct FileSink {
    std::FILE* file;
    std::int64_t written;
};

std::size_t FileWriter(char* data, std::size_t size, std::size_t count, void* context) {
    auto* sink = static_cast<FileSink*>(context);
    if (!sink || !sink->file) return CURL_WRITEFUNC_ERROR;
    const std::size_t total = size * count;
    if (sink->written + static_cast<std::int64_t>(total) > CLibCurlHelper::kMaxFileBytes) return CURL_WRITEFUNC_ERROR;
    const std::size_t put = std::fwrite(data, 1, total, sink->file);
    sink->written += static_cast<std::int64_t>(put);
    return put;
}

bool IsAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsAsciiSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

CLibCurlHelper::CLibCurlHelper(std::function<bool()> stopRequested) : m_stopRequested(std::move(stopRequested)) {}

int CLibCurlHelper::HttpPost(const char* url, const char* body, char* reply, int capacity) {
    if (!qv::http::IsWebUrl(url)) {
        QV_LOGE("url:%s refused: only http and https are fetched", url ? url : "(null)");
        return -1;
    }
    qv::http::EnsureCurlReady();
    CURL* curl = curl_easy_init();
    if (!curl) return -1;
    ReplyBuffer buffer{reply, capacity < 0 ? 0 : capacity, 0};
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type:application/x-www-form-urlencoded;charset=UTF-8");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    qv::http::SetCommonOptions(curl, url, &m_stopRequested);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    // Without a body libcurl would read one from standard input.
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body ? body : "");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, BufferWriter);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &buffer);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 7L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 7L);

    int result = -1;
    const CURLcode code = qv::http::Perform(curl, &m_stopRequested);
    if (code != CURLE_OK) {
        QV_LOGE("url:%s easy_perform return CURLcode:%d", url, static_cast<int>(code));
    } else if (const long status = qv::http::ResponseCode(curl); !IsSuccessStatus(status)) {
        QV_LOGE("url:%s return code:%d.", url, static_cast<int>(status));
    } else {
        result = buffer.used;
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return result;
}

int CLibCurlHelper::HttpGet(const char* url, char* reply, int capacity) {
    if (!qv::http::IsWebUrl(url)) {
        QV_LOGE("url:%s refused: only http and https are fetched", url ? url : "(null)");
        return -1;
    }
    qv::http::EnsureCurlReady();
    CURL* curl = curl_easy_init();
    if (!curl) return -1;
    ReplyBuffer buffer{reply, capacity < 0 ? 0 : capacity, 0};
    qv::http::SetCommonOptions(curl, url, &m_stopRequested);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, BufferWriter);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &buffer);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 7L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 7L);

    int result = -1;
    const CURLcode code = qv::http::Perform(curl, &m_stopRequested);
    if (code != CURLE_OK) {
        QV_LOGE("url:%s easy_perform return:%d", url, static_cast<int>(code));
    } else if (const long status = qv::http::ResponseCode(curl); !IsSuccessStatus(status)) {
        QV_LOGE("url:%s return code:%d.", url, static_cast<int>(status));
    } else {
        result = buffer.used;
    }
    curl_easy_cleanup(curl);
    return result;
}

int CLibCurlHelper::HttpGetFile(const char16_t* path, const char* url) {
    if (!path || !qv::http::IsWebUrl(url)) {
        QV_LOGE("url:%s refused: only http and https are fetched", url ? url : "(null)");
        return 0;
    }
    qv::http::EnsureCurlReady();
    CURL* curl = curl_easy_init();
    if (!curl) return 0;
    const std::string native = qv::os::NativePath(path);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file) {
        QV_LOGE("cannot open %s: %s", native.c_str(), std::strerror(errno));
        if (fd >= 0) ::close(fd);
        curl_easy_cleanup(curl);
        return 0;
    }
    FileSink sink{file, 0};
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
    qv::http::SetCommonOptions(curl, url, &m_stopRequested);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, FileWriter);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxFileBytes));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 3L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 3L);

    int result = 0;
    const CURLcode code = qv::http::Perform(curl, &m_stopRequested);
    if (code != CURLE_OK) {
        if (sink.written >= kMaxFileBytes || code == CURLE_FILESIZE_EXCEEDED)
            QV_LOGE("url:%s refused: larger than %d bytes", url, static_cast<int>(kMaxFileBytes));
        QV_LOGE("url:%s easy_perform return:%d", url, static_cast<int>(code));
    } else if (const long status = qv::http::ResponseCode(curl); !IsSuccessStatus(status)) {
        QV_LOGE("url:%s return code:%d.", url, static_cast<int>(status));
    } else if (status == 206 || sink.written == 0) {
        // A part of the file, or none of it (204 and other empty answers).
        QV_LOGE("url:%s return code:%d with %lld bytes: not a whole file", url, static_cast<int>(status),
                static_cast<long long>(sink.written));
    } else {
        result = 1;
    }
    if (std::fclose(file) != 0 && result) {
        QV_LOGE("cannot write %s: %s", native.c_str(), std::strerror(errno));
        result = 0;
    }
    curl_easy_cleanup(curl);
    return result;
}

int CLibCurlHelper::UrlEncode(const char* source, char* target, int capacity) {
    if (!source || !target || capacity <= 0) return 0;
    static constexpr char kHex[] = "0123456789ABCDEF";
    int n = 0;
    for (const char* p = source; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (IsAsciiAlnum(c) || IsAsciiSpace(c)) {
            if (n + 1 >= capacity) return 0;
            target[n++] = IsAsciiSpace(c) ? '+' : static_cast<char>(c);
        } else {
            if (n + 3 >= capacity) return 0;
            target[n++] = '%';
            target[n++] = kHex[c >> 4];
            target[n++] = kHex[c & 0xF];
        }
    }
    target[n] = '\0';
    return 1;
}
