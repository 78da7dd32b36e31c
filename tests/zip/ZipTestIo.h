#pragma once
// Files, folders and pipes for the zip tests.
#include <string>
#include <thread>

#include "tests/zip/RawDeflate.h"

namespace qv::test {

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);

// A folder under the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A pipe whose write end a thread fills with the bytes and then closes;
// readers take ReadEnd().
class FedPipe {
public:
    explicit FedPipe(std::string bytes);
    ~FedPipe();
    int ReadEnd() const { return m_fds[0]; }

private:
    int m_fds[2] = {-1, -1};
    std::thread m_feeder;
};

// A pipe whose read end a thread drains; writers take WriteEnd(), and
// Collect() closes it and gives everything that came through.
class DrainedPipe {
public:
    DrainedPipe();
    ~DrainedPipe();
    int WriteEnd() const { return m_fds[1]; }
    Bytes Collect();

private:
    int m_fds[2] = {-1, -1};
    std::thread m_drain;
    Bytes m_bytes;
};

}  // namespace qv::test
