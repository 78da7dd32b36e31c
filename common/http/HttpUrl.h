#pragma once
// The one rule for what the HTTP client fetches.

namespace qv::http {

// True for an http:// or https:// URL (scheme compared ignoring case).
bool IsWebUrl(const char* url);

}  // namespace qv::http
