// Drawing costs: the full-screen background gradient (an 8-pixel strip filled band by band,
// then tiled), the same bands filled at full width for comparison, the ring styles, text
// and the mask routines.
#include <benchmark/benchmark.h>

#include "presentation/Gradient.h"

namespace {

const TGradientColors kBackground = {16744448, 12615680, clTeal, clWhite, clBlack};

void BackgroundGradient(benchmark::State& state, TDirection dir)
{
    TBitmap screen(1920, 1080);
    TGradient g;
    g.SetLineSize(1);
    g.SetColorCount(2);
    g.SetColor1(kBackground[0]);
    g.SetColor2(kBackground[1]);
    g.SetColor3(kBackground[2]);
    g.SetLineDirection(dir);
    for (auto _ : state) {
        PaintGradient(screen.Canvas(), Rect(0, 0, 1920, 1080), &g);
        benchmark::DoNotOptimize(screen.Bits());
    }
    state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}

void BM_LineGradient1920x1080(benchmark::State& state) { BackgroundGradient(state, diHorizonal); }
BENCHMARK(BM_LineGradient1920x1080)->Unit(benchmark::kMillisecond);

void BM_LineGradient1920x1080Vertical(benchmark::State& state) { BackgroundGradient(state, diVertical); }
BENCHMARK(BM_LineGradient1920x1080Vertical)->Unit(benchmark::kMillisecond);

// The same picture with every band filled at full width (no strip): what tiling saves.
void BM_FullWidthBands1920x1080(benchmark::State& state)
{
    TBitmap screen(1920, 1080);
    for (auto _ : state) {
        FillLineBands(screen.Canvas(), Rect(0, 0, 1920, 1080), kBackground, 2, diHorizonal, 1);
        benchmark::DoNotOptimize(screen.Bits());
    }
}
BENCHMARK(BM_FullWidthBands1920x1080)->Unit(benchmark::kMillisecond);

void BM_EllipseGradient640x480(benchmark::State& state)
{
    TBitmap b(640, 480);
    for (auto _ : state) PaintEllipseGradient(b.Canvas(), Rect(0, 0, 640, 480), kBackground, 2, 1);
}
BENCHMARK(BM_EllipseGradient640x480)->Unit(benchmark::kMillisecond);

void TitleFont(TCanvas* c)
{
    c->Font()->SetName("Times New Roman");
    c->Font()->SetHeight(-48);
    c->Font()->SetStyle({fsBold, fsItalic});
    c->Font()->SetColor(clWhite);
}

void BM_ShadowTitle(benchmark::State& state)
{
    TBitmap b(800, 100);
    TitleFont(b.Canvas());
    for (auto _ : state) DrawShadowText(b.Canvas(), 10, 10, "Sample Product 1.1", clNavy, 3, 3);
}
BENCHMARK(BM_ShadowTitle)->Unit(benchmark::kMicrosecond);

void BM_GradientFilledTitle(benchmark::State& state)
{
    TBitmap b(800, 100), grad(800, 100);
    PaintLineGradient(grad.Canvas(), Rect(0, 0, 800, 100), kBackground, 2, diHorizonal, 2);
    TitleFont(b.Canvas());
    for (auto _ : state) DrawBitmapFitText(b.Canvas(), 10, 10, "Sample Product 1.1", &grad);
}
BENCHMARK(BM_GradientFilledTitle)->Unit(benchmark::kMicrosecond);

void BM_TileAlignedSmallTile(benchmark::State& state)
{
    TBitmap b(640, 480), tile(3, 2);
    for (auto _ : state) TileAligned(b.Canvas(), &tile, Rect(0, 0, 640, 480));
}
BENCHMARK(BM_TileAlignedSmallTile)->Unit(benchmark::kMillisecond);

}  // namespace
