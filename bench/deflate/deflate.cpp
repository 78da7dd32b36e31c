// Our deflate compressor against zlib at level 8 on the same inputs: the
// files named on the command line and 8 MB of random bytes. Prints per input
// the compressed sizes, the size ratio (ours / zlib) and the speed ratio
// (ours / zlib, above 1 is faster); times are the best of several
// alternating runs. Every output of ours is inflated again and compared.
//
//   deflate [FILE...]
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "zip/DeflateState.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

class MemoryStream : public qv::zip::IDeflateStream {
public:
    MemoryStream(const Bytes& input, Bytes& output) : m_input(input), m_output(output) {}
    int ReadInput(std::uint8_t* buffer, unsigned size) override {
        const std::size_t piece = std::min<std::size_t>(size, m_input.size() - m_read);
        std::memcpy(buffer, m_input.data() + m_read, piece);
        m_read += piece;
        return static_cast<int>(piece);
    }
    void WriteOutput(const std::uint8_t* data, unsigned length) override {
        m_output.insert(m_output.end(), data, data + length);
    }

private:
    const Bytes& m_input;
    Bytes& m_output;
    std::size_t m_read = 0;
};

Bytes DeflateOurs(qv::zip::DeflateState& state, const Bytes& input) {
    Bytes output;
    output.reserve(input.size() + input.size() / 100 + 1024);
    MemoryStream stream(input, output);
    std::uint16_t flags = 0;
    if (state.DeflateEntry(stream, &flags, 8) != kZipOk) std::fprintf(stderr, "deflate failed: %s\n", state.Error());
    return output;
}

Bytes DeflateZlib(const Bytes& input) {
    z_stream z{};
    deflateInit2(&z, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes output(deflateBound(&z, input.size()));
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = static_cast<uInt>(input.size());
    z.next_out = output.data();
    z.avail_out = static_cast<uInt>(output.size());
    deflate(&z, Z_FINISH);
    output.resize(z.total_out);
    deflateEnd(&z);
    return output;
}

bool InflatesTo(const Bytes& compressed, const Bytes& expected) {
    z_stream z{};
    inflateInit2(&z, -15);
    Bytes output(expected.size() + 1);
    z.next_in = const_cast<Bytef*>(compressed.data());
    z.avail_in = static_cast<uInt>(compressed.size());
    z.next_out = output.data();
    z.avail_out = static_cast<uInt>(output.size());
    const int status = inflate(&z, Z_FINISH);
    const bool equal = status == Z_STREAM_END && z.total_out == expected.size() &&
                       std::equal(expected.begin(), expected.end(), output.begin());
    inflateEnd(&z);
    return equal;
}

template <class Run>
double BestSeconds(Run run, double& best) {
    const auto start = Clock::now();
    run();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::min(best, seconds);
    return seconds;
}

void Compare(const std::string& name, const Bytes& input, qv::zip::DeflateState& state) {
    const Bytes ours = DeflateOurs(state, input);
    const Bytes theirs = DeflateZlib(input);
    if (!InflatesTo(ours, input)) std::printf("%s: OUR OUTPUT DOES NOT INFLATE BACK\n", name.c_str());
    // Runs alternate so that a busy moment of the shared machine hits both.
    const int runs = input.size() > (16u << 20) ? 3 : 7;
    double oursBest = 1e9, zlibBest = 1e9;
    for (int i = 0; i < runs; ++i) {
        BestSeconds([&] { DeflateOurs(state, input); }, oursBest);
        BestSeconds([&] { DeflateZlib(input); }, zlibBest);
    }
    const double mb = static_cast<double>(input.size()) / 1e6;
    std::printf("%-28s %10zu  ours %10zu  zlib-8 %10zu  size %.4f  ours %7.1f MB/s  zlib %7.1f MB/s  speed %.2f\n",
                name.c_str(), input.size(), ours.size(), theirs.size(),
                static_cast<double>(ours.size()) / static_cast<double>(theirs.size()), mb / oursBest, mb / zlibBest,
                zlibBest / oursBest);
}

}  // namespace

int main(int argc, char** argv) {
    qv::zip::DeflateState state;
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            continue;
        }
        const Bytes input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::string name = argv[i];
        if (name.size() > 28) name = "..." + name.substr(name.size() - 25);
        Compare(name, input, state);
    }
    std::mt19937 random(1980);
    Bytes noise(8u << 20);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random() >> 13);
    Compare("random 8 MB", noise, state);
    return 0;
}
