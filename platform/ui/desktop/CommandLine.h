#pragma once
// Splitting a Windows-style command line into arguments: blanks separate,
// double quotes group, "" inside quotes is a quote, and backslashes are
// literal unless they precede a quote (2n backslashes + quote: n and a
// grouping quote; 2n+1: n and a literal quote).
#include <string>
#include <string_view>
#include <vector>

namespace qv::desktop {

std::vector<std::u16string> SplitCommandLine(std::u16string_view line);

}  // namespace qv::desktop
