// What presenting a frame costs: the pump scales the 800 x 600 frame into
// windows of several sizes, or copies it into one of its own size
// (offscreen driver, so the swap itself is free), the work the renderer does
// for every frame on top of the drawing.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "Ambrel2.h"

namespace {

void BM_PresentFrame(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  SetDisplayChoice({TScreenMode::Window, int(state.range(0)), int(state.range(1)), {}});
  const TGLWindow window = MakeGLWindow(800, 600, 32, false, "bench");
  glClearColor(0.3f, 0.5f, 0.7f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  for (auto _ : state) {
    PumpMessagesAndSwap(window);
    glFinish();  // the software renderer works when flushed: count it here
  }
  KillGLWindow(window);
  SetDisplayChoice({});
}
// The renderer works on threads of its own: their time counts too.
BENCHMARK(BM_PresentFrame)
    ->Args({800, 600})
    ->Args({1280, 1024})
    ->Args({1920, 1080})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
