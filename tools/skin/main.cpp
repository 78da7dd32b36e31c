// skinpaint: draws every image of the skin into a folder as PNG files.
//
// The images under skin/images/ are its output, committed with the sources.
// Remake them all after changing a painter or the palette with
//   cmake --build <build dir> --target skin_images
// which runs: skinpaint <repository>/skin/images
#include <cstdio>
#include <string>
#include <vector>

#include "tools/skin/GifFile.h"
#include "tools/skin/SkinImages.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    int failures = 0;
    for (const qv::skintool::SkinImage& image : qv::skintool::AllSkinImages()) {
        qv::skintool::Canvas canvas(image.width, image.height);
        image.paint(canvas);
        const std::string path = dir + "/" + image.fileName;
        if (!canvas.WritePng(path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    for (const qv::skintool::SkinAnimation& animation : qv::skintool::SkinAnimations()) {
        const std::vector<std::uint8_t> bytes = qv::skintool::EncodeGif(animation);
        const std::string path = dir + "/" + animation.fileName;
        std::FILE* file = bytes.empty() ? nullptr : std::fopen(path.c_str(), "wb");
        if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
        }
        if (file) std::fclose(file);
    }
    return failures == 0 ? 0 : 1;
}
