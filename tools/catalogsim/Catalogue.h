#pragma once
// What the test catalogue server answers: one reply per route ("POST /path"
// or "GET /path", optionally followed by "|body" to match one request body),
// built from the regular catalogue and the chosen switches, or read from a
// JSON description. "{base}" in a body stands for the server's own
// "http://127.0.0.1:PORT".
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace catalogsim {

struct Reply {
    int status = 200;
    std::string body;
    std::string contentType = "application/json;charset=UTF-8";
    std::string location;         // Location header of a redirect
    int delayMs = 0;              // waits before answering
    bool stall = false;           // never answers while the server runs
    std::int64_t generated = -1;  // a body of this many bytes, streamed
    std::size_t padTo = 0;        // the body padded with blanks to this size, once "{base}" is filled in
    std::vector<Reply> first;     // the answers to the route's first requests, in order, before this one
};

struct Catalogue {
    std::map<std::string, Reply> routes;
    // The reply for a request, when there is one; route: its key in routes.
    const Reply* Find(const std::string& method, const std::string& path, const std::string& body,
                      std::string& route) const;
};

// The regular catalogue: two sound categories with sounds and their files
// (real MP3s, each another sound), two cloud effects with details, and the
// usage report's answer.
Catalogue RegularCatalogue();

// Applies one switch ("slow", "stalled", "huge", "exact-size=N",
// "malformed", "wrong-types", "not-ok", "status=N", "redirect",
// "redirect-file", "hostile-names", "hostile-urls", "file-status=N" and
// "file-empty" (sound files answered with that status, or an empty body),
// and "detail-null", "detail-missing", "detail-other-id": the first detail
// request of each effect is answered with a null "data", without "data" or
// with another effect's detail, later ones regularly); false for an unknown
// one.
bool ApplySwitch(Catalogue& catalogue, const std::string& name);
// The switches ApplySwitch knows, for the usage text.
std::vector<std::string> SwitchNames();

// Reads a description: {"routes": {"POST /tuning/...": {"status": 200,
// "body": "...", "json": {...}, "file": "PATH", "padTo": N, "delayMs": N,
// "stall": true, "size": N, "location": "...", "contentType": "..."}}}.
// "json" is written out as the body; "file" serves that file's bytes (as
// "audio/mpeg" unless a content type is given); "padTo" pads the body with
// blanks to N bytes.
std::optional<Catalogue> ReadDescription(const std::string& text, std::string& error);

}  // namespace catalogsim
