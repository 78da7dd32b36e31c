#pragma once
// Names shown on the small effect and preset buttons: whole while they have
// at most maxWhole characters, else their first maxWhole - 1 characters and
// "..". Characters are counted as the user sees them: a surrogate pair is
// one character and is never split.
#include <string>
#include <string_view>

std::u16string ButtonText(std::u16string_view name, int maxWhole);
