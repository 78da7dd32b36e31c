#pragma once
// What every request of CLibCurlHelper shares: libcurl's one-time set-up,
// the scheme rule and a perform that watches a stop request.
#include <curl/curl.h>

#include <functional>

#include "common/http/HttpUrl.h"

namespace qv::http {

// Initialises libcurl once for the process and keeps it loaded, since the
// plug-in that uses it is unloaded and loaded again on family switches.
void EnsureCurlReady();

// Sets what every request sets: the URL, http and https only for it and any
// redirect, no signals, and the stop watch through the progress callback.
void SetCommonOptions(CURL* curl, const char* url, const std::function<bool()>* stop);

// Runs the transfer, polling the stop request at least every 50 ms; a stop
// ends it with CURLE_ABORTED_BY_CALLBACK.
CURLcode Perform(CURL* curl, const std::function<bool()>* stop);

// The answer's status, 0 when there is none.
long ResponseCode(CURL* curl);
bool IsSuccessStatus(long status);

}  // namespace qv::http
