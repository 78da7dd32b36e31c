#include "common/http/HttpUrl.h"

#include <strings.h>

namespace qv::http {

bool IsWebUrl(const char* url) {
    return url && (strncasecmp(url, "http://", 7) == 0 || strncasecmp(url, "https://", 8) == 0);
}

}  // namespace qv::http
