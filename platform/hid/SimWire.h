#pragma once
// The local protocol between the sim HID backend and a simulated card's
// server. A Unix SOCK_SEQPACKET socket keeps message boundaries, so each
// packet is one message: a type byte, then its fields (integers
// little-endian, paths UTF-8 behind a 16-bit length).
//
//   Enumerate   -> [1][vid:2][pid:2]        <- [1][count:1]{[vid:2][pid:2][path]}*
//   Open        -> [2][path]                <- [2][ok:1][in:2][out:2][session:4]
//   Write       -> [3][report...]           <- [3][ok:1]
//   Attach      -> [4][session:4]           <- [4][ok:1], then one packet per
//                                              input report (report id first)
//   Subscribe   -> [5]                      <- [5][count:1]{[path]}* (cards present),
//                                              then [6][removed:1][path] per event
//
// A device's control (Open, Write) and report stream (Attach) use two
// connections, so a blocked read never holds up a write. The server ends both
// when the card is unplugged: reads then fail, writes fail.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::hid::simwire {

enum Message : std::uint8_t {
    kEnumerate = 1,
    kOpen = 2,
    kWrite = 3,
    kAttach = 4,
    kSubscribe = 5,
    kEvent = 6,
};

constexpr std::size_t kMaxPacket = 4096;
constexpr std::uint32_t kReplyTimeoutMs = 5000;

// QV_SIM_SOCKET, else $XDG_RUNTIME_DIR/quorvel-cardsim.sock, else
// /tmp/quorvel-cardsim-<uid>.sock.
std::string SocketPath();

// A connected SOCK_SEQPACKET socket, or -1.
int Connect(const std::string& path);
// One whole packet; false when it did not leave (peer gone, buffer full
// with dontWait).
bool Send(int fd, const std::vector<std::uint8_t>& packet, bool dontWait = false);
// The next packet within timeoutMs; nullopt on time-out, end or error.
std::optional<std::vector<std::uint8_t>> Receive(int fd, std::uint32_t timeoutMs);
// Send, then the reply, which must carry the same type byte.
std::optional<std::vector<std::uint8_t>> Request(int fd, const std::vector<std::uint8_t>& packet);

// Field writers and a bounds-checked reader.
void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v);
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v);
void PutPath(std::vector<std::uint8_t>& out, const std::u16string& path);

class Reader {
public:
    Reader(const std::vector<std::uint8_t>& packet, std::size_t offset = 1)
        : m_data(packet), m_pos(offset) {}
    std::optional<std::uint8_t> U8();
    std::optional<std::uint16_t> U16();
    std::optional<std::uint32_t> U32();
    std::optional<std::u16string> Path();

private:
    const std::vector<std::uint8_t>& m_data;
    std::size_t m_pos;
};

}  // namespace qv::hid::simwire
