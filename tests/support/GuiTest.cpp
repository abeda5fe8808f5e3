#include "tests/support/GuiTest.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/vcl/TestDriver.h"
#include "platform/vcl/WidgetSet.h"
#include "platform/win/System.h"
#include "tests/support/TempMachine.h"

namespace testsupport {

namespace {

// Stops the window system when all tests have run, before main returns.
class GuiEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (Application->Initialized()) Application->Shutdown();
    }
};
const bool registered = (::testing::AddGlobalTestEnvironment(new GuiEnvironment), true);

std::vector<unsigned>& Sleeps()
{
    static std::vector<unsigned> s;
    return s;
}

std::string TmpBase()
{
    const char* t = std::getenv("PALLIMER_TEST_TMP");
    return t && *t ? t : "/tmp";
}
}  // namespace

void StartGui()
{
    static bool started = false;
    if (started) return;
    started = true;
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    if (!qpa || !*qpa || std::string(qpa) == "offscreen") {
        std::filesystem::create_directories(TmpBase());
        // One file per process: test programs run side by side.
        std::string config = TmpBase() + "/screens-" + std::to_string(::getpid()) + ".json";
        std::ofstream(config) << R"({"screens":[{"name":"s","x":0,"y":0,"width":1024,"height":768,"dpr":1}]})";
        std::string value = "offscreen:configfile=" + config;
        setenv("QT_QPA_PLATFORM", value.c_str(), 1);
    }
    Application->Initialize();
    SetSleepHook([](DWORD ms) { Sleeps().push_back(unsigned(ms)); });
}

std::vector<unsigned> TakeSleeps()
{
    std::vector<unsigned> out;
    out.swap(Sleeps());
    return out;
}

ModalScript::ModalScript(std::vector<std::function<void(TCustomForm*)>> Steps) : steps_(std::move(Steps))
{
    std::reverse(steps_.begin(), steps_.end());
    previous_ = SetModalHook([this](TCustomForm* f) {
        if (steps_.empty()) return;
        auto step = std::move(steps_.back());
        steps_.pop_back();
        // From the modal loop itself, as a user's input would arrive.
        WidgetSet()->Post([step, f] { step(f); });
    });
}

ModalScript::~ModalScript() { SetModalHook(previous_); }

std::string SaveShot(const TBitmap& Bitmap, const std::string& Name)
{
    std::string dir = TmpBase() + "/screens";
    std::filesystem::create_directories(dir);
    std::string path = dir + "/" + Name + ".png";
    Bitmap.SavePngToHostFile(path);
    return path;
}

}  // namespace testsupport

void GuiTest::SetUp()
{
    MachineTest::SetUp();
    testsupport::StartGui();
    testsupport::TakeSleeps();
}

void GuiTest::TearDown()
{
    VclDriver::ProcessEvents();
    MachineTest::TearDown();
}
