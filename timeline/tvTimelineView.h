// How the timeline's band looks and where its parts lie: the overview of
// the whole song with the entries' markers, the zoomed lane around the
// playhead with the beat grid, and two lines of text, all in frame pixels
// from the lower-left corner. Drawn in one flat block of the engine's 2D
// layer, text included; the GL state is left as found.
//
// State: none; everything drawn comes in the view, the textures it fills
// with the caller.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Amb2_2D.h"
#include "tvTimelineEdits.h"

struct TTimelineView {
  const std::vector<float>* Peaks = nullptr;  // loudness per slice of the music
  double PeakSliceMs = 10;
  double MusicAt = 0;  // the music's start on the demo clock
  TScheduleMoments Moments{};
  int Selected = 0;
  std::array<bool, ScheduleEntries> TooShort{};
  std::array<const char*, ScheduleEntries> Labels{};
  TBeatGrid Grid;
  double Playhead = 0;
  double LaneMs = 6000;  // width of the zoomed lane
  double AxisEndMs = 1;  // the overview runs from 0 to here
  bool Looping = false;
  double LoopFrom = 0, LoopTo = 0;
  std::vector<uint32_t> Bookmarks;
  std::string Readout, Notice;
};

struct TBox {
  float X, Y, Width, Height;
  bool Holds(int x, int y) const { return x >= X && x < X + Width && y >= Y && y < Y + Height; }
};
constexpr TBox BandBox{0, 0, 800, 172};
constexpr TBox OverviewBox{10, 8, 780, 50};
constexpr TBox LaneBox{10, 66, 780, 64};

// The overview's x of a moment and moment of an x.
float OverviewX(const TTimelineView& view, double ms);
double OverviewMoment(const TTimelineView& view, float x);
// The same for the lane, centred on the playhead.
float LaneX(const TTimelineView& view, double ms);
double LaneMoment(const TTimelineView& view, float x);
// The entry whose marker is within a few pixels of x (-1: none); in the
// lane or in the overview.
int MarkerAt(const TTimelineView& view, const TBox& box, float x);

// The waveforms' pictures, refilled every frame (textures kept by the caller).
struct TTimelineImages {
  TAlphaImage Overview, Lane;
};
void DrawTimelineView(const TTimelineView& view, const TTextureFont& font, TTimelineImages& images);
