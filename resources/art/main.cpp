// pallimer-art: draws the program's pictures.
//
//   pallimer-art OUTDIR                 the message dialog's film strips as BMP files
//   pallimer-art --update-forms DIR     redraws the pictures inside the form descriptions
//   pallimer-art --check-forms DIR      exit 1 when a description's pictures differ
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "resources/art/FilmStrips.h"
#include "resources/art/FormPictures.h"
#include "resources/art/SetupPictures.h"

int main(int argc, char** argv)
{
    try {
        if (argc == 3 && (std::strcmp(argv[1], "--update-forms") == 0 || std::strcmp(argv[1], "--check-forms") == 0)) {
            bool check = std::strcmp(argv[1], "--check-forms") == 0;
            std::vector<std::string> changed = art::UpdateFormPictures(argv[2], check);
            for (const std::string& f : changed)
                std::printf("%s %s\n", check ? "differs:" : "updated:", f.c_str());
            return check && !changed.empty() ? 1 : 0;
        }
        if (argc != 2 || argv[1][0] == '-') {
            std::fprintf(stderr,
                         "usage: pallimer-art OUTDIR\n"
                         "       pallimer-art --update-forms DIR | --check-forms DIR\n");
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
            // For looking at; the forms keep their own copies (--update-forms).
            {"setup-icon.bmp", [](TBitmap& b) { TBitmap m; art::DrawSetupIcon(b, m); }},
            {"wizard.bmp", art::DrawWizardPicture},
            {"newfolder.bmp", art::DrawNewFolderGlyph},
        };
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
