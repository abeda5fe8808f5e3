// pallimer-art: draws the program's pictures and writes them as BMP files.
//
//   pallimer-art OUTDIR
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "resources/art/FilmStrips.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pallimer-art OUTDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    struct Picture {
        const char* file;
        std::function<void(TBitmap&)> draw;
    };
    const std::vector<Picture> pictures = {
        {"exclam.bmp", art::DrawExclamStrip},
        {"error.bmp", art::DrawErrorStrip},
        {"inform.bmp", art::DrawInformStrip},
        {"interr.bmp", art::DrawInterrStrip},
    };
    try {
        for (const auto& pic : pictures) {
            TBitmap b;
            pic.draw(b);
            b.SaveToHostFile(dir + "/" + pic.file);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pallimer-art: %s\n", e.what());
        return 1;
    }
    return 0;
}
