// Classes whose form streams carry state after their children. formc creates them
// through the class registry and lets them load their design-time data, as a form
// designer would.
#include <stdexcept>

#include "archive/FStorage.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Stream.h"

void RegisterDesignClasses()
{
    RegisterComponentClass<TFileStorage>("TFileStorage");
    // The text form names the file the storage holds; the binary form holds its bytes.
    RegisterDesignState("TFileStorage", [](TComponent& Instance, const TDesignValues& Values) {
        auto it = Values.find("FileName");
        if (it == Values.end() || it->second.empty())
            throw EReadError("FileName names no file to store");
        auto& storage = dynamic_cast<TFileStorage&>(Instance);
        storage.LoadFromFile(it->second);
        if (storage.Empty()) throw EReadError("Cannot read " + it->second);
    });
}
