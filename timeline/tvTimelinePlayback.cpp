// The timeline's pause, jumps, loop and bookmarks, and the music kept at the
// picture's moment through all of them.
#include "tvTimelinePlayback.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "Amb2_2D.h"
#include "AmbBass.h"
#include "AmbSystem.h"
#include "Tavix.h"
#include "tvCommon.h"
#include "tvSoundSync.h"

namespace {

struct TPlayback {
  bool HaveMusic = false;
  bool Paused = false, HoldPending = false, HeldValid = false;
  TFrameCopy Held;
  uint32_t LastTick = 0;
} playback;

// The music at the demo-clock moment; before it begins it waits for the clock.
void PlayMusicAt(int64_t demoMs) {
  if (playback.HaveMusic) PlayMusicAtMoment(demoMs);
}

}  // namespace

void BeginPlayback(bool haveMusic) {
  playback.HaveMusic = haveMusic;
  playback.LastTick = TickCount();
}

void EndPlayback() {
  FreeFrameCopy(playback.Held);
  playback = TPlayback{};
}

void PlaybackBeforeClock() {
  const uint32_t now = TickCount();
  if (playback.Paused) ShiftSchedule(now - playback.LastTick);
  playback.LastTick = now;
}

bool Paused() { return playback.Paused; }

void SetPaused(bool paused) {
  if (paused == playback.Paused) return;
  playback.Paused = paused;
  playback.HeldValid = false;
  playback.HoldPending = paused;
  if (paused)
    StopMusic();
  else
    PlayMusicAt(DemoTime);
}

void JumpTo(int64_t moment, uint32_t preroll) {
  const auto target = uint32_t(std::clamp<int64_t>(moment - preroll, 0, INT32_MAX));
  RestartScheduleAt(target);
  playback.Paused = false;
  playback.HeldValid = playback.HoldPending = false;
  PlayMusicAt(target);
}

bool DrawHeldPicture() {
  if (!playback.Paused || !playback.HeldValid) return false;
  DrawFrameCopy(playback.Held);
  return true;
}

void HoldPictureIfAsked() {
  if (!playback.HoldPending) return;
  CopyFrame(playback.Held);
  playback.HoldPending = false;
  playback.HeldValid = true;
}

void ToggleBookmark(TTimelineSettings& settings, uint32_t now) {
  std::vector<uint32_t>& marks = settings.Bookmarks;
  const auto near = std::find_if(marks.begin(), marks.end(),
                                 [now](uint32_t mark) { return std::abs(int64_t(mark) - int64_t(now)) < 250; });
  if (near != marks.end())
    marks.erase(near);
  else
    marks.insert(std::upper_bound(marks.begin(), marks.end(), now), now);
}

// A little slack, so that a second press goes on past the bookmark just reached.
std::optional<uint32_t> BookmarkFrom(const TTimelineSettings& settings, int32_t now, int direction) {
  const std::vector<uint32_t>& marks = settings.Bookmarks;
  const int64_t from = int64_t(now) + (direction > 0 ? 100 : -500);
  if (direction > 0) {
    const auto next = std::upper_bound(marks.begin(), marks.end(), from);
    if (next != marks.end()) return *next;
  } else {
    const auto next = std::lower_bound(marks.begin(), marks.end(), from);
    if (next != marks.begin()) return *(next - 1);
  }
  return std::nullopt;
}

void SetLoopEnd(TTimelineSettings& settings, uint32_t now, bool start) {
  (start ? settings.LoopFromMs : settings.LoopToMs) = now;
  if (settings.LoopToMs <= settings.LoopFromMs) {
    if (start)
      settings.LoopToMs = settings.LoopFromMs + 4000;
    else
      settings.LoopFromMs = settings.LoopToMs - std::min(settings.LoopToMs, 4000u);
  }
  settings.Looping = true;
}

void ToggleLoop(TTimelineSettings& settings, uint32_t entry) {
  if (settings.LoopToMs <= settings.LoopFromMs) {
    settings.LoopFromMs = entry - std::min(entry, settings.PrerollMs);
    settings.LoopToMs = entry + 2000;
  }
  settings.Looping = !settings.Looping;
}

std::optional<uint32_t> LoopRestart(const TTimelineSettings& settings, int32_t now) {
  if (settings.Looping && settings.LoopToMs > settings.LoopFromMs && now >= int32_t(settings.LoopToMs))
    return settings.LoopFromMs;
  return std::nullopt;
}
