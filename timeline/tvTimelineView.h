// How the timeline's band looks and where its parts lie: the overview of
// the whole song with the entries' markers, the zoomed lane around the
// playhead with the beat grid, and three rows of text, all in the 2D layer's
// coordinates from the lower-left corner. Drawn opaque in one flat block of
// the engine's 2D layer, text included; the GL state is left as found.
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

// What the readout tells: where the show is, the selected entry against the
// beat, the grid and the states.
struct TTimelineReadout {
  int32_t DemoMs = 0;
  int Part = 0;
  const char* PartLabel = "";
  uint32_t PartMs = 0;
  int Entry = 0;
  uint32_t EntryMs = 0;
  double OffBeatMs = 0;
  double Bpm = 120;
  int BeatsPerBar = 4, Subdivision = 1;
  bool Unsaved = false, Paused = false, Looping = false;
  int32_t AudioOffsetMs = 0;
};
// The readout's rows, top first: where the show is (with the states at its
// right end) and the entry with the grid.
struct TReadoutRows {
  std::string Position, States, Entry;
};
TReadoutRows ReadoutRows(const TTimelineReadout& readout);

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
  TTimelineReadout Readout;
  std::string Notice;
};

struct TBox {
  float X, Y, Width, Height;
  bool Holds(int x, int y) const { return x >= X && x < X + Width && y >= Y && y < Y + Height; }
};
constexpr TBox BandBox{0, 0, 800, 188};
constexpr TBox OverviewBox{10, 8, 780, 50};
constexpr TBox LaneBox{10, 66, 780, 64};

// The markers' labels where they are drawn (the left end of the baseline, y
// from the bottom), each in its row not touching the next: one that would
// shrinks to its entry's number, one that would even so is left out.
struct TPlacedLabel {
  int Entry = 0;
  std::string Text;
  float X = 0, Y = 0, Width = 0;
};
std::vector<TPlacedLabel> PlaceLabels(const TTimelineView& view, const TTextureFont& font);

// The text to draw in `width`: the text itself when it fits, else its start
// and its end with "..." between them.
std::string FitText(const TTextureFont& font, const std::string& text, float width);

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
