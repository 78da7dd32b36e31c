#pragma once
// The plug-in's HTTP layer: blocking, stateless requests over libcurl, each
// with its own handle, callable from several worker threads at once.
//
// - Only http and https URLs are fetched; no redirect is followed, so a 3xx
//   answer fails like any other status outside 200-299.
// - A transfer ends within about 100 ms of its stop request (the predicate
//   given at construction, polled while it waits), as a failure.
// - Failures are logged and reported by the result only; nothing throws.
#include <cstdint>
#include <functional>

class CLibCurlHelper {
public:
    // A sound file larger than this is refused and its transfer ended.
    static constexpr std::int64_t kMaxFileBytes = 32 * 1024 * 1024;

    // stopRequested: polled during transfers; true ends the transfer.
    explicit CLibCurlHelper(std::function<bool()> stopRequested = {});

    // POSTs the form-encoded body (null: an empty body) and copies the reply
    // into the buffer. The bytes received, or -1 on any failure (the part
    // received stays in the buffer; it is never terminated here). A reply
    // longer than the capacity fails.
    int HttpPost(const char* url, const char* body, char* reply, int capacity);
    // GETs the URL into the file at path (created or truncated; a link there
    // is not followed). 1 for a complete 2xx transfer of a whole, non-empty
    // file, else 0 (206, 204 and empty bodies included); the file is then
    // left as far as it got, for the caller to remove.
    int HttpGetFile(const char16_t* path, const char* url);
    // GETs into the buffer, as HttpPost.
    int HttpGet(const char* url, char* reply, int capacity);
    // Form-encodes text: letters and digits stay, white space becomes '+',
    // every other byte "%XX" (upper-case). 1 on success; 0 when the target
    // (capacity in bytes, terminator included) is too small.
    static int UrlEncode(const char* source, char* target, int capacity);

private:
    std::function<bool()> m_stopRequested;
};
