// Only the dorbII plug-in carries the upload: the zenk plug-in defines and
// references none of the WAV reader's, the decoder's, the send window's or
// libmad's symbols, and does not load libmad.
#include <gtest/gtest.h>
#include <string.h>

#include <string_view>

#include "tests/support/Mp3Fixture.h"

namespace {

bool Contains(const std::vector<std::uint8_t>& bytes, std::string_view text) {
    return memmem(bytes.data(), bytes.size(), text.data(), text.size()) != nullptr;
}

TEST(PluginSymbols, OnlyTheDorbIIPluginCarriesTheUpload) {
    const auto dorbII = qv::test::ReadBytes(QV_DORBII_PLUGIN);
    const auto zenk = qv::test::ReadBytes(QV_ZENK_PLUGIN);
    ASSERT_FALSE(dorbII.empty());
    ASSERT_FALSE(zenk.empty());
    // Mangled class names in the symbol tables, libmad's entry and its library.
    for (std::string_view name : {"9CWaveFile", "14CLibmadDecoder", "10SendWindow", "11UploadSound", "9UploadJob",
                                  "mad_decoder_init", "libmad.so"}) {
        EXPECT_TRUE(Contains(dorbII, name)) << name << " missing in dorbII.so: the check below would prove nothing";
        EXPECT_FALSE(Contains(zenk, name)) << name << " in zenk.so";
    }
}

}  // namespace
