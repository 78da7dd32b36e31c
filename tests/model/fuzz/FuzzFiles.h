#pragma once
// Files for the fuzz targets: a fresh path for each input in a folder of
// the process's own, so no run ever sees another's file.
#include <string>

// A path that no earlier call gave; the file does not exist yet.
std::string NewFuzzFilePath();
// Writes the bytes as the whole file; false when it cannot.
bool WriteFuzzFile(const std::string& path, const void* data, std::size_t size);
