// The timeline's band: an opaque strip, the song's overview with markers,
// loop range, bookmarks and playhead, the lane with waveform, grid and
// markers, and the readout and notice rows, every text measured to fit.
#include "tvTimelineView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Amb2BasicDraw.h"
#include "Amb2_2D.h"

namespace {

constexpr float MarkerReach = 5;  // pixels either side that pick a marker

const TColorRGBA BandColour{0.04f, 0.05f, 0.08f, 1};
const TColorRGBA LabelBackdrop{0.04f, 0.05f, 0.08f, 0.8f};
const TColorRGBA WaveColour{0.30f, 0.55f, 0.85f, 0.9f};
const TColorRGBA MarkerColour{1.0f, 0.8f, 0.2f, 1};
const TColorRGBA SelectedColour{1.0f, 0.35f, 0.25f, 1};
const TColorRGBA PlayheadColour{1, 1, 1, 1};
const TColorRGBA BarColour{0.85f, 0.85f, 0.85f, 0.6f};
const TColorRGBA BeatColour{0.6f, 0.6f, 0.6f, 0.4f};
const TColorRGBA StepColour{0.5f, 0.5f, 0.5f, 0.2f};
const TColorRGBA LoopColour{0.2f, 0.8f, 0.35f, 0.25f};
const TColorRGBA BookmarkColour{0.7f, 0.5f, 1.0f, 1};
const TColorRGBA ShortColour{1.0f, 0.2f, 0.2f, 0.8f};
const TColorRGBA TextColour{0.92f, 0.92f, 0.92f, 1};

// Text rows are given from the 2D layer's top edge.
constexpr int LayerHeight = 600;
int TextRow(float yFromBottom) { return LayerHeight - int(yFromBottom); }
constexpr float TextMargin = 10, LabelGap = 6, RowHeight = 16;

// push_back, not an initializer-list insert: GCC 12 warns wrongly on the latter.
void AddLine(std::vector<float>& lines, float x0, float y0, float x1, float y1) {
  lines.push_back(x0);
  lines.push_back(y0);
  lines.push_back(x1);
  lines.push_back(y1);
}

double LaneStart(const TTimelineView& view) { return view.Playhead - view.LaneMs / 2; }

// The loudest slice over [fromMs, toMs) of the demo clock.
float PeakOver(const TTimelineView& view, double fromMs, double toMs) {
  if (!view.Peaks || view.Peaks->empty()) return 0;
  const double first = (fromMs - view.MusicAt) / view.PeakSliceMs;
  const double last = (toMs - view.MusicAt) / view.PeakSliceMs;
  const auto size = double(view.Peaks->size());
  if (last < 0 || first >= size) return 0;
  const size_t from = size_t(std::max(0.0, first));
  const size_t to = size_t(std::min(std::max(std::ceil(last), first + 1), size));
  float peak = 0;
  for (size_t i = from; i < to; ++i) peak = std::max(peak, (*view.Peaks)[i]);
  return peak;
}

// One column of coverage per pixel, centred on the box's middle, drawn as one
// picture: as many thin lines the renderer would set up one by one.
template <typename ToMoment>
void DrawWave(const TTimelineView& view, const TBox& box, ToMoment moment, TAlphaImage& image) {
  const int width = int(box.Width), height = int(box.Height);
  std::vector<uint8_t> alpha(size_t(width) * size_t(height));
  const float middle = float(height) / 2;
  for (int x = 0; x < width; ++x) {
    const float half = PeakOver(view, moment(box.X + float(x)), moment(box.X + float(x) + 1)) * (middle - 1);
    if (half < 0.5f) continue;
    const int from = std::max(0, int(std::lround(middle - half))),
              to = std::min(height, int(std::lround(middle + half)));
    for (int y = from; y < to; ++y) alpha[size_t(y) * size_t(width) + size_t(x)] = 255;
  }
  FillAlphaImage(image, width, height, alpha);
  FlatAlphaImage(image, WaveColour, box.X, box.Y);
}

void AddMark(std::vector<float>& lines, const TBox& box, float x) {
  if (x >= box.X && x <= box.X + box.Width) AddLine(lines, x + 0.5f, box.Y, x + 0.5f, box.Y + box.Height);
}

void DrawGrid(const TTimelineView& view) {
  const double step = GridStepMs(view.Grid);
  if (step <= 0) return;
  std::vector<float> bars, beats, steps;
  const double start = LaneStart(view);
  const auto first = int64_t(std::floor((start - view.Grid.FirstBeatMs) / step));
  const int64_t perBar = int64_t(view.Grid.Subdivision) * std::max(1, view.Grid.BeatsPerBar);
  for (int64_t i = first; view.Grid.FirstBeatMs + double(i) * step <= start + view.LaneMs; ++i) {
    const float x = std::round(LaneX(view, view.Grid.FirstBeatMs + double(i) * step));
    const int64_t inBar = ((i % perBar) + perBar) % perBar;
    AddMark(inBar == 0 ? bars : inBar % view.Grid.Subdivision == 0 ? beats : steps, LaneBox, x);
  }
  FlatSegments(StepColour, steps);
  FlatSegments(BeatColour, beats);
  FlatSegments(BarColour, bars);
}

void DrawLoopAndBookmarks(const TTimelineView& view) {
  if (view.Looping) {
    const float from = OverviewX(view, view.LoopFrom), to = OverviewX(view, view.LoopTo);
    FlatRect(LoopColour, from, OverviewBox.Y, std::max(1.0f, to - from), OverviewBox.Height);
    const float laneFrom = std::clamp(LaneX(view, view.LoopFrom), LaneBox.X, LaneBox.X + LaneBox.Width);
    const float laneTo = std::clamp(LaneX(view, view.LoopTo), LaneBox.X, LaneBox.X + LaneBox.Width);
    if (laneTo > laneFrom) FlatRect(LoopColour, laneFrom, LaneBox.Y, laneTo - laneFrom, LaneBox.Height);
  }
  std::vector<float> marks;
  for (uint32_t bookmark : view.Bookmarks) {
    const float x = std::round(OverviewX(view, bookmark));
    AddLine(marks, x + 0.5f, OverviewBox.Y, x + 0.5f, OverviewBox.Y + 8);
    AddMark(marks, LaneBox, std::round(LaneX(view, bookmark)));
  }
  FlatSegments(BookmarkColour, marks);
}

// Scenes shorter than a beat get a red bar under their span.
void DrawShortScenes(const TTimelineView& view) {
  for (int i = 0; i + 1 < ScheduleEntries; ++i) {
    if (!view.TooShort[size_t(i)]) continue;
    const float from = OverviewX(view, view.Moments[size_t(i)]);
    const float to = OverviewX(view, view.Moments[size_t(i + 1)]);
    FlatRect(ShortColour, from - 2, OverviewBox.Y - 4, std::max(4.0f, to - from + 4), 3);
  }
}

void DrawMarkers(const TTimelineView& view, const TBox& box, bool lane) {
  std::vector<float> plain, selected;
  for (int i = 0; i < ScheduleEntries; ++i) {
    const double ms = view.Moments[size_t(i)];
    AddMark(i == view.Selected ? selected : plain, box, std::round(lane ? LaneX(view, ms) : OverviewX(view, ms)));
  }
  FlatSegments(MarkerColour, plain);
  FlatSegments(SelectedColour, selected);
}

// Labels of one row, left to right: one that would touch the next shrinks to
// its number; one that would touch the last placed is left out.
struct TLabelRow {
  float End = -1e9f;
  void Place(const TTextureFont& font, int entry, const std::string& label, float x, float nextX, float y,
             std::vector<TPlacedLabel>& placed) {
    if (x < End) return;
    const std::string number = std::to_string(entry);
    const std::string& text = x + TextWidth(font, label) + LabelGap <= nextX ? label : number;
    placed.push_back({entry, text, x, y, TextWidth(font, text)});
    End = x + placed.back().Width + LabelGap;
  }
};

// A label over the waveform reads on a backdrop of the band's colour.
void DrawLabels(const TTimelineView& view, const TTextureFont& font) {
  for (const TPlacedLabel& label : PlaceLabels(view, font)) {
    FlatRect(LabelBackdrop, label.X - 2, label.Y - 3, label.Width + 4, 13);
    FlatText(font, label.Text, int(label.X), TextRow(label.Y),
             label.Entry == view.Selected ? SelectedColour : MarkerColour);
  }
}

void DrawPlayhead(const TTimelineView& view) {
  std::vector<float> lines;
  AddMark(lines, OverviewBox, std::round(OverviewX(view, view.Playhead)));
  AddMark(lines, LaneBox, std::round(LaneX(view, view.Playhead)));
  FlatSegments(PlayheadColour, lines);
}

std::string Seconds(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", ms / 1000.0);
  return text;
}

void DrawText(const TTimelineView& view, const TTextureFont& font) {
  const TReadoutRows rows = ReadoutRows(view.Readout);
  const float width = BandBox.Width - 2 * TextMargin, statesWidth = TextWidth(font, rows.States);
  const float top = BandBox.Height - RowHeight;
  FlatText(font, FitText(font, rows.Position, width - statesWidth - LabelGap), int(TextMargin), TextRow(top),
           TextColour);
  FlatText(font, rows.States, int(BandBox.Width - TextMargin - statesWidth), TextRow(top), TextColour);
  FlatText(font, FitText(font, rows.Entry, width), int(TextMargin), TextRow(top - RowHeight), TextColour);
  FlatText(font, FitText(font, view.Notice, width), int(TextMargin), TextRow(top - 2 * RowHeight), TextColour);
}

}  // namespace

TReadoutRows ReadoutRows(const TTimelineReadout& r) {
  char position[160], entry[160];
  std::snprintf(position, sizeof position, "%s  part %d %s +%.3f", Seconds(r.DemoMs).c_str(), r.Part, r.PartLabel,
                r.PartMs / 1000.0);
  std::snprintf(entry, sizeof entry, "entry %d %s %+.0f ms off beat  %.2f BPM %d/4 grid 1/%d  audio %+d ms", r.Entry,
                Seconds(r.EntryMs).c_str(), r.OffBeatMs, r.Bpm, r.BeatsPerBar, r.Subdivision, int(r.AudioOffsetMs));
  std::string states =
      std::string(r.Unsaved ? "UNSAVED  " : "") + (r.Paused ? "PAUSED  " : "") + (r.Looping ? "LOOP  " : "");
  if (!states.empty()) states.resize(states.size() - 2);
  return {position, states, entry};
}

// Overview labels take two rows (even and odd entries), the lane's one.
std::vector<TPlacedLabel> PlaceLabels(const TTimelineView& view, const TTextureFont& font) {
  std::vector<TPlacedLabel> placed;
  std::array<TLabelRow, 2> overview;
  TLabelRow lane;
  const float laneRight = LaneBox.X + LaneBox.Width;
  const auto at = [&view](int entry, bool inLane) {
    if (entry >= ScheduleEntries) return 1e9f;
    const double ms = view.Moments[size_t(entry)];
    return std::round(inLane ? LaneX(view, ms) : OverviewX(view, ms)) + 3;
  };
  for (int i = 0; i < ScheduleEntries; ++i) {
    const std::string label = std::to_string(i) + " " + (view.Labels[size_t(i)] ? view.Labels[size_t(i)] : "");
    const float top = OverviewBox.Y + OverviewBox.Height - (i % 2 == 0 ? 11 : 23);
    overview[size_t(i % 2)].Place(font, i, label, at(i, false), at(i + 2, false), top, placed);
    const float laneX = at(i, true);
    if (laneX >= LaneBox.X && laneX < laneRight)
      lane.Place(font, i, label, laneX, std::min(at(i + 1, true), laneRight), LaneBox.Y + LaneBox.Height - 11, placed);
  }
  return placed;
}

std::string FitText(const TTextureFont& font, const std::string& text, float width) {
  if (TextWidth(font, text) <= width) return text;
  std::string head = text.substr(0, text.size() / 2), tail = text.substr(text.size() / 2);
  for (bool fromHead = true; TextWidth(font, head + "..." + tail) > width && !(head.empty() && tail.empty());
       fromHead = !fromHead) {
    if ((fromHead && !head.empty()) || tail.empty())
      head.pop_back();
    else
      tail.erase(0, 1);
  }
  return head + "..." + tail;
}

float OverviewX(const TTimelineView& view, double ms) {
  return OverviewBox.X + float(ms / view.AxisEndMs) * OverviewBox.Width;
}

double OverviewMoment(const TTimelineView& view, float x) {
  return double(x - OverviewBox.X) / OverviewBox.Width * view.AxisEndMs;
}

float LaneX(const TTimelineView& view, double ms) {
  return LaneBox.X + float((ms - LaneStart(view)) / view.LaneMs) * LaneBox.Width;
}

double LaneMoment(const TTimelineView& view, float x) {
  return LaneStart(view) + double(x - LaneBox.X) / LaneBox.Width * view.LaneMs;
}

int MarkerAt(const TTimelineView& view, const TBox& box, float x) {
  const bool lane = box.Y == LaneBox.Y;
  int best = -1;
  float bestDistance = MarkerReach + 1;
  for (int i = 0; i < ScheduleEntries; ++i) {
    const double ms = view.Moments[size_t(i)];
    const float distance = std::fabs((lane ? LaneX(view, ms) : OverviewX(view, ms)) - x);
    // Equal moments: the later entry is the one that can still move right.
    if (distance <= MarkerReach && distance <= bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

void DrawTimelineView(const TTimelineView& view, const TTextureFont& font, TTimelineImages& images) {
  BeginFlat2D();
  FlatRect(BandColour, BandBox.X, BandBox.Y, BandBox.Width, BandBox.Height);
  DrawLoopAndBookmarks(view);
  DrawWave(
      view, OverviewBox, [&view](float x) { return OverviewMoment(view, x); }, images.Overview);
  DrawWave(
      view, LaneBox, [&view](float x) { return LaneMoment(view, x); }, images.Lane);
  DrawGrid(view);
  DrawShortScenes(view);
  DrawMarkers(view, OverviewBox, false);
  DrawMarkers(view, LaneBox, true);
  DrawPlayhead(view);
  DrawLabels(view, font);
  DrawText(view, font);
  EndFlat2D();
}
