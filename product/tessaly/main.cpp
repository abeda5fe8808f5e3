// tessaly.exe: Tessaly v1.1, a tiling designer.
//
//   tessaly.exe                      the program's window
//   tessaly.exe --check-engine       checks and loads tsly.dll beside the program, says
//                                    what it found on standard output (or why not on
//                                    standard error) and ends: 0 usable, 1 not
//   tessaly.exe --export <file.png> [--tiling N] [--size WxH] [--alternating]
//                                    saves a picture without opening a window
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "product/tessaly/Engine.h"
#include "product/tessaly/Picture.h"
#include "product/tessaly/Startup.h"

// The program's icon, put into the executable by the build (section .icon).
extern "C" const unsigned char tessaly_icon_png[];
extern "C" const unsigned char tessaly_icon_png_end[];

namespace {

bool HasOption(int argc, char** argv, const char* name)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return true;
    return false;
}

std::string OwnFolder() { return QCoreApplication::applicationDirPath().toStdString(); }

int CheckEngine()
{
    std::string message;
    auto engine = tessaly::Engine::Load(OwnFolder() + "/" + tessaly::kEngineFileName, tessaly::kBuiltEngine, message);
    if (!engine) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    std::printf("tsly.dll %s: %d tilings\n", engine->Version().c_str(), engine->TilingCount());
    return 0;
}

int Export(const QCoreApplication& app)
{
    QCommandLineParser cl;
    cl.addOption({"export", "", "file"});
    cl.addOption({"tiling", "", "number", "0"});
    cl.addOption({"size", "", "WxH", "800x600"});
    cl.addOption({"alternating", ""});
    cl.process(app);
    std::string message;
    auto engine = tessaly::Engine::Load(OwnFolder() + "/" + tessaly::kEngineFileName, tessaly::kBuiltEngine, message);
    if (!engine) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    tessaly::PictureSettings s = tessaly::PictureSettings::Defaults();
    bool ok = false;
    s.Tiling = cl.value("tiling").toInt(&ok);
    const QStringList wh = cl.value("size").split('x');
    const int w = wh.size() == 2 ? wh[0].toInt() : 0, h = wh.size() == 2 ? wh[1].toInt() : 0;
    if (!ok || s.Tiling < 0 || s.Tiling >= engine->TilingCount() || w < 1 || h < 1 || w > 10000 || h > 10000) {
        std::fprintf(stderr, "tessaly: --tiling 0..%d and --size WxH up to 10000x10000\n", engine->TilingCount() - 1);
        return 2;
    }
    if (cl.isSet("alternating")) s.Mode = tessaly::Colouring::Alternating;
    QString error;
    if (!tessaly::ExportPicture(*engine, s, QSize(w, h), cl.value("export"), error)) {
        std::fprintf(stderr, "tessaly: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName("Tessaly");
    QCoreApplication::setOrganizationName("Corvane Works");
    QCoreApplication::setApplicationVersion("1.1");
    if (HasOption(argc, argv, "--check-engine")) {
        QCoreApplication app(argc, argv);
        return CheckEngine();
    }
    if (HasOption(argc, argv, "--export")) {
        QGuiApplication app(argc, argv);
        return Export(app);
    }
    QApplication app(argc, argv);
    QImage icon;
    icon.loadFromData(tessaly_icon_png, static_cast<int>(tessaly_icon_png_end - tessaly_icon_png), "PNG");
    if (!icon.isNull()) QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon)));
    return tessaly::RunTessaly(OwnFolder());
}
