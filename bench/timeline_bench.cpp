// What the open timeline costs a frame: its band drawn over an 800 x 600
// frame (offscreen driver) with a whole song's peaks, the markers, the grid
// and both text lines, finished by the renderer.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

#include "Amb2_2D.h"
#include "Ambrel2.h"
#include "tvTimelineView.h"

namespace {

void BM_DrawTimeline(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  SetDisplayChoice({TScreenMode::Window, 800, 600, {}});
  const TGLWindow window = MakeGLWindow(800, 600, 32, false, "bench");
  TTextureFont font = CreateTextureFont("Tahoma", 12, true);
  std::vector<float> peaks(19500);
  for (size_t i = 0; i < peaks.size(); ++i) peaks[i] = float(0.5 + 0.45 * std::sin(double(i) * 0.37));
  TTimelineView view;
  view.Peaks = &peaks;
  view.MusicAt = 2200;
  for (int i = 0; i < ScheduleEntries; ++i) view.Moments[size_t(i)] = uint32_t(9000 + 16000 * i);
  view.Labels.fill("scene");
  view.Selected = 3;
  view.Playhead = 57500;
  view.AxisEndMs = 198000;
  view.Readout = TTimelineReadout{57500, 3, "jelly ball", 500, 3, 57000};
  view.Notice = "Up/Down entry  Left/Right move (Shift 10 ms, Ctrl grid)  G snap  Return here  J jump  Space pause";
  TTimelineImages images;
  for (auto _ : state) {
    DrawTimelineView(view, font, images);
    glFinish();  // the software renderer works when flushed: count it here
  }
  FreeTextureFont(font);
  FreeAlphaImage(images.Overview);
  FreeAlphaImage(images.Lane);
  KillGLWindow(window);
  SetDisplayChoice({});
}
BENCHMARK(BM_DrawTimeline)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
