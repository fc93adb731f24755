// The timeline's playing and jumping: the pause, which holds the picture,
// the clock and the music together; jumps that restart the schedule at a
// moment with the music there too; the loop range and the bookmarks.
//
// State: whether it is paused, the held picture and whether it is to be
// taken or shown, the tick of the last frame, whether there is music.
#pragma once

#include <cstdint>
#include <optional>

#include "tvTimelineSettings.h"

// Without music, nothing plays.
void BeginPlayback(bool haveMusic);
// Forgets everything and lets the held picture go (the timeline ends).
void EndPlayback();

// Before the frame's clock step: paused, the clock stands still.
void PlaybackBeforeClock();

bool Paused();
// Paused, the part is drawn once more and kept; resumed, the music comes back
// at the picture's moment, so the two stay in step.
void SetPaused(bool paused);
// The schedule restarts `preroll` before `moment` (not before 0), playing.
void JumpTo(int64_t moment, uint32_t preroll);

// In place of the part: true when the held picture was drawn instead.
bool DrawHeldPicture();
// After the part: keeps it when a pause has just begun.
void HoldPictureIfAsked();

// B at `now`: a bookmark within 250 ms goes, else one is added there.
void ToggleBookmark(TTimelineSettings& settings, uint32_t now);
// The bookmark to jump to from `now` going back (-1) or on (+1).
std::optional<uint32_t> BookmarkFrom(const TTimelineSettings& settings, int32_t now, int direction);
// I or O: the loop's start or end at `now`, the other end moved to keep
// 4 s between them when they would cross; looping on.
void SetLoopEnd(TTimelineSettings& settings, uint32_t now, bool start);
// L: looping on or off; without a range of its own, around `entry` (from its
// preroll to 2 s after it).
void ToggleLoop(TTimelineSettings& settings, uint32_t entry);
// Where to go back to when the loop's end is reached at `now`.
std::optional<uint32_t> LoopRestart(const TTimelineSettings& settings, int32_t now);
