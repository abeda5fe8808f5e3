#include "platform/vcl/WidgetSet.h"

#include <stdexcept>

namespace {
TWidgetSet* current = nullptr;
}

TWidgetSet* WidgetSet() { return current; }

void SetWidgetSet(TWidgetSet* Set) { current = Set; }

void DeliverMessage(TWinControl* Control, TMessage& Message)
{
    // No exception may cross the window system: it goes to the application instead.
    try {
        Control->WndProc(Message);
    } catch (const std::exception& e) {
        HandleControlException(e);
    } catch (...) {
        HandleControlException(std::runtime_error("Unknown exception"));
    }
}
