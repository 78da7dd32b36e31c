#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/skin/GifFile.h"
#include "tools/skin/SkinImages.h"

namespace qv::skintool {
namespace {

// The committed images must be what the painter draws now: a changed
// painter or palette needs `cmake --build <dir> --target skin_images`.
TEST(SkinImagesTest, CommittedImagesMatchThePainter) {
    ASSERT_FALSE(AllSkinImages().empty());
    for (const SkinImage& image : AllSkinImages()) {
        SCOPED_TRACE(image.fileName);
        Canvas canvas(image.width, image.height);
        image.paint(canvas);
        cairo_surface_t* drawn = cairo_get_target(canvas.Cr());
        cairo_surface_flush(drawn);

        const std::string path = std::string(QV_SKIN_IMAGES_DIR) + "/" + image.fileName;
        cairo_surface_t* committed = cairo_image_surface_create_from_png(path.c_str());
        ASSERT_EQ(cairo_surface_status(committed), CAIRO_STATUS_SUCCESS) << path;
        ASSERT_EQ(cairo_image_surface_get_width(committed), image.width);
        ASSERT_EQ(cairo_image_surface_get_height(committed), image.height);
        const int rowBytes = image.width * 4;
        int differingRows = 0;
        for (int y = 0; y < image.height; ++y) {
            const unsigned char* a = cairo_image_surface_get_data(drawn) + y * cairo_image_surface_get_stride(drawn);
            const unsigned char* b = cairo_image_surface_get_data(committed) + y * cairo_image_surface_get_stride(committed);
            if (std::memcmp(a, b, rowBytes) != 0) ++differingRows;
        }
        EXPECT_EQ(differingRows, 0);
        cairo_surface_destroy(committed);
    }
}

// The animations are written byte for byte the same way.
TEST(SkinImagesTest, CommittedAnimationsMatchThePainter) {
    ASSERT_FALSE(SkinAnimations().empty());
    for (const SkinAnimation& animation : SkinAnimations()) {
        SCOPED_TRACE(animation.fileName);
        const std::vector<std::uint8_t> drawn = EncodeGif(animation);
        ASSERT_FALSE(drawn.empty());
        std::ifstream file(std::string(QV_SKIN_IMAGES_DIR) + "/" + animation.fileName, std::ios::binary);
        const std::vector<std::uint8_t> committed((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(drawn == committed);
    }
}

}  // namespace
}  // namespace qv::skintool
