#pragma once
// Temporary files of decoded sound: "QvWavForm" and six random characters in
// the temp folder ($TMPDIR, else /tmp), created empty and private (mkstemp),
// so no other file can take the name between its choice and its use.
#include <string>

// The path of a new empty file, or empty when none could be made.
std::u16string MakeTempWaveFile();

// Deletes the file when the path names one; the path is cleared.
void DeleteTempWaveFile(std::u16string& path);
