#include "tests/zip/ZipTestIo.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace qv::test {

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvzip-XXXXXX").string();
    if (mkdtemp(pattern.data())) m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}

FedPipe::FedPipe(std::string bytes) {
    if (pipe(m_fds) != 0) return;
    m_feeder = std::thread([this, bytes = std::move(bytes)] {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = write(m_fds[1], bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        close(m_fds[1]);
    });
}

FedPipe::~FedPipe() {
    // Closing the read end first ends a feeder still blocked on a full pipe.
    close(m_fds[0]);
    if (m_feeder.joinable()) m_feeder.join();
}

DrainedPipe::DrainedPipe() {
    if (pipe(m_fds) != 0) return;
    m_drain = std::thread([this] {
        std::uint8_t chunk[4096];
        for (ssize_t n; (n = read(m_fds[0], chunk, sizeof chunk)) > 0;) m_bytes.insert(m_bytes.end(), chunk, chunk + n);
    });
}

DrainedPipe::~DrainedPipe() { Collect(); }

Bytes DrainedPipe::Collect() {
    if (m_fds[1] >= 0) {
        close(m_fds[1]);
        m_fds[1] = -1;
    }
    if (m_drain.joinable()) m_drain.join();
    if (m_fds[0] >= 0) {
        close(m_fds[0]);
        m_fds[0] = -1;
    }
    return m_bytes;
}

}  // namespace qv::test
