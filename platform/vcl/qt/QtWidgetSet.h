// Internal to platform/vcl/qt: the widget factory shared by the Qt files.
#pragma once

#include "platform/vcl/WidgetSet.h"

namespace qtbridge {

// A new window of the kind for the control, inside Parent's window (null: top level).
TWidgetHandle* CreateWidget(TWidgetKind Kind, TWinControl* Control, TWidgetHandle* Parent);

}  // namespace qtbridge
