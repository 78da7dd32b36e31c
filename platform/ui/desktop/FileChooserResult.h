#pragma once
// What one file-chooser backend made of a request.
#include <string>

namespace qv::desktop {

struct FileChooserResult {
    enum Kind { Chosen, Cancelled, Unavailable } kind;
    std::u16string path;  // set when Chosen
};

}  // namespace qv::desktop
