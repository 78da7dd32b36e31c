#pragma once
// Report lengths from a HID report descriptor, counted as Windows counts
// them: the largest report of each kind in bytes, plus one for the report id
// byte (which is there on the wire form even when the device numbers none).
#include <cstddef>
#include <cstdint>

namespace qv::hid {

struct ReportLengths {
    int input = 0;    // 0 when the descriptor has no input report
    int output = 0;
    int feature = 0;
    bool numbered = false;  // the descriptor declares report ids
};

// Walks the descriptor's items. A truncated trailing item ends the walk; the
// reports declared before it still count.
ReportLengths ParseReportDescriptor(const std::uint8_t* data, std::size_t size);

}  // namespace qv::hid
