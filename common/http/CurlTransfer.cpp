#include "common/http/CurlTransfer.h"

#include <dlfcn.h>

#include <mutex>

namespace qv::http {
namespace {

constexpr int kPollMs = 50;

int ProgressCallback(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* stop = static_cast<const std::function<bool()>*>(context);
    return stop && *stop && (*stop)() ? 1 : 0;
}

}  // namespace

void EnsureCurlReady() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Pinned: unloading libcurl without its global clean-up would lose
        // its state, and the clean-up is unsafe while another thread of the
        // process may still use it.
        (void)dlopen("libcurl.so.4", RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        curl_global_init(CURL_GLOBAL_DEFAULT);
    });
}

void SetCommonOptions(CURL* curl, const char* url, const std::function<bool()>* stop) {
    curl_easy_setopt(curl, CURLOPT_URL, url);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ProgressCallback);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, stop);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
}

CURLcode Perform(CURL* curl, const std::function<bool()>* stop) {
    if (!stop || !*stop) return curl_easy_perform(curl);
    // The multi interface waits in short slices, so a stalled transfer
    // notices a stop request at once rather than at libcurl's next
    // once-a-second progress call.
    CURLM* multi = curl_multi_init();
    if (!multi) return CURLE_OUT_OF_MEMORY;
    if (curl_multi_add_handle(multi, curl) != CURLM_OK) {
        curl_multi_cleanup(multi);
        return CURLE_FAILED_INIT;
    }
    CURLcode result = CURLE_OK;
    bool done = false;
    while (!done) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
                done = true;
            }
        }
        if (done) break;
        if ((*stop)()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
    }
    curl_multi_remove_handle(multi, curl);
    curl_multi_cleanup(multi);
    return result;
}

long ResponseCode(CURL* curl) {
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

bool IsSuccessStatus(long status) { return status >= 200 && status <= 299; }

}  // namespace qv::http
