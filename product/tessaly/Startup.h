// Starting Tessaly: the engine from the program's folder, or a message box that says
// why there is none.
#pragma once

#include <memory>
#include <string>

class QWidget;

namespace tessaly {

class Engine;

// Loads tsly.dll from the folder (host path). On failure shows the reason in a critical
// message box (parent may be null) and returns null once the user has closed it.
std::unique_ptr<Engine> LoadEngineOrExplain(const std::string& dir, QWidget* parent);

// The whole program with its window; returns the exit code (1 without an engine).
int RunTessaly(const std::string& dir);

}  // namespace tessaly
