#include "platform/ui/desktop/CommandLine.h"

namespace qv::desktop {

std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
    std::vector<std::u16string> args;
    std::u16string current;
    bool started = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size();) {
        const char16_t c = line[i];
        if (c == u'\\') {
            std::size_t n = 0;
            while (i < line.size() && line[i] == u'\\') ++n, ++i;
            if (i < line.size() && line[i] == u'"') {
                current.append(n / 2, u'\\');
                if (n % 2) {
                    current += u'"';
                    ++i;
                }
            } else {
                current.append(n, u'\\');
            }
            started = true;
        } else if (c == u'"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                current += u'"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
            started = true;
        } else if ((c == u' ' || c == u'\t') && !quoted) {
            if (started) args.push_back(std::move(current));
            current.clear();
            started = false;
            ++i;
        } else {
            current += c;
            started = true;
            ++i;
        }
    }
    if (started) args.push_back(std::move(current));
    return args;
}

}  // namespace qv::desktop
