// Tessaly's windows as a user meets them: the message when the engine is missing, the
// main window with every tiling, zoom and colours, the help and the About box.
#include <filesystem>
#include <set>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolButton>

#include <gtest/gtest.h>

#include "product/tessaly/Engine.h"
#include "product/tessaly/HelpWindow.h"
#include "product/tessaly/MainWindow.h"
#include "product/tessaly/Startup.h"
#include "product/tessaly/TilingView.h"
#include "tests/product/support/QtTestApp.h"
#include "tests/support/TempMachine.h"

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::EnsureQtApp(); }

    std::unique_ptr<Engine> LoadBuilt()
    {
        std::string message;
        auto e = Engine::Load(TESSALY_BIN_DIR "/tsly.dll", kBuiltEngine, message);
        EXPECT_NE(e, nullptr) << message;
        return e;
    }

    static int Colours(const QImage& image)
    {
        std::set<QRgb> seen;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3) seen.insert(image.pixel(x, y));
        return static_cast<int>(seen.size());
    }
};

TEST_F(WindowTest, WithoutItsEngineTheProgramExplainsAndStops)
{
    testsupport::TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;  // empty: no file
        std::string says;
    };
    const Case cases[] = {
        {"missing", "", "is missing"},
        {"damaged", "MZ this is not it", "is damaged"},
    };
    for (const Case& c : cases) {
        if (!c.bytes.empty()) testsupport::WriteHostFile(dir / "tsly.dll", c.bytes);
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        testsupport::OnNextModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            text = box->text();
            icon = box->icon();
            testsupport::Screenshot(box, std::string("tessaly-engine-") + c.what);
            box->accept();
        });
        EXPECT_EQ(LoadEngineOrExplain(dir.Path(), nullptr), nullptr) << c.what;
        EXPECT_EQ(icon, QMessageBox::Critical) << c.what;
        EXPECT_TRUE(text.contains("tsly.dll")) << c.what;
        EXPECT_TRUE(text.contains(QString::fromStdString(c.says))) << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromStdString(dir.Path()))) << text.toStdString();
    }
}

TEST_F(WindowTest, TheWindowDrawsEveryTilingInItsColours)
{
    auto engine = LoadBuilt();
    ASSERT_TRUE(engine);
    MainWindow w(*engine, TESSALY_SOURCE_DIR "/tessaly.hlp");
    w.resize(960, 640);
    w.show();
    for (int t = 0; t < engine->TilingCount(); ++t) {
        w.SelectTiling(t);
        for (Colouring mode : {Colouring::ByShape, Colouring::Alternating}) {
            w.SetColouring(mode);
            testsupport::ProcessEvents();  // the toolbar lays out the swatches it shows
            const QImage image = w.View()->grab().toImage();
            // The fills in use and the lines, give or take the blends at the edges.
            const int fills = mode == Colouring::ByShape ? engine->ShapeCount(t) : engine->ColourCount(t);
            EXPECT_GE(Colours(image), fills + 1) << engine->TilingName(t);
            int visible = 0;
            for (QToolButton* b : w.findChildren<QToolButton*>())
                if (b->toolTip().contains(QRegularExpression("^Colour (of every|\\d)"))) visible += b->isVisible();
            EXPECT_EQ(visible, fills) << engine->TilingName(t);
        }
        EXPECT_GT(w.View()->TilesShown(), 10);
        EXPECT_TRUE(w.statusBar()->findChild<QLabel*>()->text().contains(QString::fromStdString(engine->TilingSymbol(t))));
    }
    w.SelectTiling(3);
    w.SetColouring(Colouring::ByShape);
    testsupport::ProcessEvents();
    EXPECT_TRUE(testsupport::Screenshot(&w, "tessaly-window"));
    w.SelectTiling(9);
    w.SetColouring(Colouring::Alternating);
    testsupport::ProcessEvents();
    EXPECT_TRUE(testsupport::Screenshot(&w, "tessaly-window-alternating"));
}

TEST_F(WindowTest, ZoomStaysWithinItsLimitsAndMoreTilesShowWhenSmaller)
{
    auto engine = LoadBuilt();
    ASSERT_TRUE(engine);
    MainWindow w(*engine, "");
    w.resize(800, 600);
    w.show();
    TilingView* v = w.View();
    v->grab();
    const int atStart = v->TilesShown();
    v->ZoomBy(0.5);
    v->grab();
    EXPECT_GT(v->TilesShown(), atStart * 3);
    for (int i = 0; i < 50; ++i) v->ZoomBy(0.5);
    EXPECT_EQ(v->Settings().Scale, kMinScale);
    v->grab();
    EXPECT_GT(v->TilesShown(), 0) << "the smallest zoom still draws";
    for (int i = 0; i < 50; ++i) v->ZoomBy(2);
    EXPECT_EQ(v->Settings().Scale, kMaxScale);
    v->ResetZoom();
    EXPECT_EQ(v->Settings().Scale, kDefaultScale);
}

TEST_F(WindowTest, ExportWritesWhatTheWindowShows)
{
    auto engine = LoadBuilt();
    ASSERT_TRUE(engine);
    testsupport::TempDir dir;
    PictureSettings s = PictureSettings::Defaults();
    s.Tiling = 4;
    QString error;
    ASSERT_TRUE(ExportPicture(*engine, s, QSize(300, 200), QString::fromStdString(dir / "p.png"), error)) << error.toStdString();
    QImage saved(QString::fromStdString(dir / "p.png"));
    EXPECT_EQ(saved.size(), QSize(300, 200));
    EXPECT_GE(Colours(saved), 3);
    EXPECT_FALSE(ExportPicture(*engine, s, QSize(30, 20), QString::fromStdString(dir / "no/such/folder/p.png"), error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(WindowTest, HelpShowsTheHelpFileAndFollowsItsLinks)
{
    auto engine = LoadBuilt();
    ASSERT_TRUE(engine);
    MainWindow w(*engine, TESSALY_SOURCE_DIR "/tessaly.hlp");
    w.show();
    w.ShowHelp();
    auto* help = w.findChild<HelpWindow*>("HelpWindow");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->CurrentTopic(), "contents");
    EXPECT_EQ(help->windowTitle(), "Tessaly v1.1 Help");
    auto* browser = help->findChild<QTextBrowser*>();
    EXPECT_TRUE(browser->toHtml().contains("topic:colours"));
    emit browser->anchorClicked(QUrl("topic:colours"));
    EXPECT_EQ(help->CurrentTopic(), "colours");
    EXPECT_EQ(help->findChild<QListWidget*>()->currentItem()->text(), "Colours");
    EXPECT_FALSE(help->ShowTopic("nowhere"));
    help->ShowTopic("contents");
    testsupport::ProcessEvents();
    EXPECT_TRUE(testsupport::Screenshot(help, "tessaly-help"));
    help->close();

    // A help file that is not there: a warning, and the program goes on.
    MainWindow broken(*engine, "/no/such/tessaly.hlp");
    QString text;
    testsupport::OnNextModal([&](QWidget* d) {
        text = static_cast<QMessageBox*>(d)->text();
        static_cast<QMessageBox*>(d)->accept();
    });
    broken.ShowHelp();
    EXPECT_TRUE(text.contains("/no/such/tessaly.hlp")) << text.toStdString();
    EXPECT_EQ(broken.findChild<HelpWindow*>(), nullptr);
}

TEST_F(WindowTest, AboutNamesTheVersion)
{
    auto engine = LoadBuilt();
    ASSERT_TRUE(engine);
    MainWindow w(*engine, "");
    w.show();
    QString text;
    testsupport::OnNextModal([&](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        ASSERT_NE(box, nullptr);
        text = box->text();
        testsupport::Screenshot(box, "tessaly-about");
        box->accept();
    });
    w.ShowAbout();
    EXPECT_TRUE(text.contains("Tessaly v1.1"));
    EXPECT_TRUE(text.contains("Version 1.1"));
    EXPECT_TRUE(text.contains("Corvane Works"));
}

}  // namespace
