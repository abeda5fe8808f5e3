#include "product/tessaly/Startup.h"

#include <QApplication>
#include <QMessageBox>

#include "product/tessaly/Engine.h"
#include "product/tessaly/MainWindow.h"

namespace tessaly {

std::unique_ptr<Engine> LoadEngineOrExplain(const std::string& dir, QWidget* parent)
{
    std::string message;
    std::unique_ptr<Engine> engine = Engine::Load(dir + "/" + kEngineFileName, kBuiltEngine, message);
    if (!engine) QMessageBox::critical(parent, QObject::tr("Tessaly v1.1"), QString::fromStdString(message));
    return engine;
}

int RunTessaly(const std::string& dir)
{
    std::unique_ptr<Engine> engine = LoadEngineOrExplain(dir, nullptr);
    if (!engine) return 1;
    MainWindow w(*engine, dir + "/tessaly.hlp");
    w.show();
    return QApplication::exec();
}

}  // namespace tessaly
