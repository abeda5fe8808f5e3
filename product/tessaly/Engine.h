// The tiling engine as Tessaly uses it: tsly.dll from the program's own folder, checked
// (EngineFile.h), loaded, and its functions looked up.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "product/engine/tsly.h"
#include "product/tessaly/EngineFile.h"

namespace tessaly {

struct EngineTile {
    int Shape = 0;
    int Colour = 0;
    std::vector<tsly_point> Vertices;
};

class Engine {
public:
    // Checks and loads the engine at hostPath. On failure returns null and sets
    // message to what a user should read in a message box.
    static std::unique_ptr<Engine> Load(const std::string& hostPath, const EngineIdentity& expected,
                                        std::string& message);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    std::string Version() const;
    int TilingCount() const;
    std::string TilingName(int tiling) const;
    std::string TilingSymbol(int tiling) const;
    int ShapeCount(int tiling) const;
    int ColourCount(int tiling) const;
    std::string ShapeName(int tiling, int shape) const;
    // The tiles meeting the rectangle; returns a tsly error code (TSLY_OK on success).
    int TilesIn(int tiling, double x0, double y0, double x1, double y1, size_t maxTiles,
                std::vector<EngineTile>& out) const;

private:
    Engine() = default;
    void* handle_ = nullptr;
    struct Functions;
    std::unique_ptr<Functions> fn_;
};

}  // namespace tessaly
