#pragma once
// Reads one report from a file descriptor that delivers a report per read()
// (a hidraw node, a SOCK_SEQPACKET socket), waiting on the descriptor and on
// a cancel eventfd together, so a cancel always ends a read at once.
#include <cstddef>
#include <cstdint>

#include "platform/hid/Hid.h"

namespace qv::hid {

class CancellableReader {
public:
    CancellableReader();
    ~CancellableReader();
    CancellableReader(const CancellableReader&) = delete;
    CancellableReader& operator=(const CancellableReader&) = delete;

    // False when the cancel eventfd could not be made.
    bool IsValid() const { return m_cancelFd >= 0; }

    // Waits up to timeoutMs (INFINITE for ever) for one report of exactly
    // length bytes. A shorter report, end of file or an error is Failed; a
    // pending cancel wins over a report that is ready at the same time.
    [[nodiscard]] ReadStatus Read(int fd, std::uint8_t* buffer, std::size_t length,
                                  std::uint32_t timeoutMs);

    // Ends a waiting Read with Cancelled; with no Read waiting, the next one
    // returns Cancelled at once. Cancels before one Read count as one.
    void Cancel();

private:
    bool TakeCancel();

    int m_cancelFd = -1;
};

}  // namespace qv::hid
