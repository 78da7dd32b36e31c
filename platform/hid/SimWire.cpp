#include "platform/hid/SimWire.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/os/Utf.h"

namespace qv::hid::simwire {

std::string SocketPath() {
    if (const char* path = std::getenv("QV_SIM_SOCKET"); path && *path) return path;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/quorvel-cardsim.sock";
    return "/tmp/quorvel-cardsim-" + std::to_string(getuid()) + ".sock";
}

int Connect(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool Send(int fd, const std::vector<std::uint8_t>& packet, bool dontWait) {
    const int flags = MSG_NOSIGNAL | (dontWait ? MSG_DONTWAIT : 0);
    for (;;) {
        const ssize_t n = send(fd, packet.data(), packet.size(), flags);
        if (n < 0 && errno == EINTR) continue;
        return n == static_cast<ssize_t>(packet.size());
    }
}

std::optional<std::vector<std::uint8_t>> Receive(int fd, std::uint32_t timeoutMs) {
    pollfd in{fd, POLLIN, 0};
    int ready;
    do ready = poll(&in, 1, static_cast<int>(timeoutMs));
    while (ready < 0 && errno == EINTR);
    if (ready <= 0) return std::nullopt;
    std::vector<std::uint8_t> packet(kMaxPacket);
    ssize_t n;
    do n = recv(fd, packet.data(), packet.size(), MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    if (n <= 0) return std::nullopt;
    packet.resize(static_cast<std::size_t>(n));
    return packet;
}

std::optional<std::vector<std::uint8_t>> Request(int fd, const std::vector<std::uint8_t>& packet) {
    if (!Send(fd, packet)) return std::nullopt;
    auto reply = Receive(fd, kReplyTimeoutMs);
    if (!reply || reply->empty() || (*reply)[0] != packet[0]) return std::nullopt;
    return reply;
}

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutU16(out, static_cast<std::uint16_t>(v));
    PutU16(out, static_cast<std::uint16_t>(v >> 16));
}

void PutPath(std::vector<std::uint8_t>& out, const std::u16string& path) {
    std::string utf8 = os::Utf16ToUtf8(path);
    if (utf8.size() > 1024) utf8.resize(1024);
    PutU16(out, static_cast<std::uint16_t>(utf8.size()));
    out.insert(out.end(), utf8.begin(), utf8.end());
}

std::optional<std::uint8_t> Reader::U8() {
    if (m_pos + 1 > m_data.size()) return std::nullopt;
    return m_data[m_pos++];
}

std::optional<std::uint16_t> Reader::U16() {
    if (m_pos + 2 > m_data.size()) return std::nullopt;
    const std::uint16_t v = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return v;
}

std::optional<std::uint32_t> Reader::U32() {
    auto low = U16();
    auto high = low ? U16() : std::nullopt;
    if (!high) return std::nullopt;
    return static_cast<std::uint32_t>(*low) | (static_cast<std::uint32_t>(*high) << 16);
}

std::optional<std::u16string> Reader::Path() {
    auto size = U16();
    if (!size || m_pos + *size > m_data.size()) return std::nullopt;
    std::string utf8(m_data.begin() + static_cast<std::ptrdiff_t>(m_pos),
                     m_data.begin() + static_cast<std::ptrdiff_t>(m_pos + *size));
    m_pos += *size;
    return os::Utf8ToUtf16(utf8);
}

}  // namespace qv::hid::simwire
