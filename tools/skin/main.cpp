// skinpaint: draws every image of the skin into a folder as PNG files.
//
// The images under skin/images/ are its output, committed with the sources.
// Remake them all after changing a painter or the palette with
//   cmake --build <build dir> --target skin_images
// which runs: skinpaint <repository>/skin/images
#include <cstdio>
#include <string>

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
    return failures == 0 ? 0 : 1;
}
