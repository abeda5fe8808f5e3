// Test support for windows: a window system on Qt's offscreen platform with a fixed
// 1024 x 768 screen (unless QT_QPA_PLATFORM is set), started once per test program, and
// helpers for modal flows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TempMachine.h"

#include "platform/graphics/Bitmap.h"
#include "platform/vcl/Forms.h"

namespace testsupport {

// Starts the window system once (Application->Initialize) and passes every Sleep on
// without waiting, recording the requested durations.
void StartGui();
// Durations asked of Sleep since the last call (and clears them).
std::vector<unsigned> TakeSleeps();

// Runs the steps, one per modal loop that begins from now on, inside that loop (the step
// gets the modal form). Steps left over when the object goes are dropped.
class ModalScript {
public:
    explicit ModalScript(std::vector<std::function<void(TCustomForm*)>> Steps);
    ~ModalScript();
    size_t Remaining() const { return steps_.size(); }

private:
    std::vector<std::function<void(TCustomForm*)>> steps_;
    TModalHook previous_;
};

// A PNG of the bitmap under $PALLIMER_TEST_TMP/screens (or /tmp), for looking at.
std::string SaveShot(const TBitmap& Bitmap, const std::string& Name);

}  // namespace testsupport

// A fixture whose tests run with the window system and a fresh machine root.
class GuiTest : public MachineTest {
protected:
    void SetUp() override;
    void TearDown() override;
};
