// The operator's timeline: an editor of the schedule's moments drawn in a
// band at the bottom of the frame over the running show. F2 opens and
// closes it. It shows the music's waveform on the demo clock with the
// entries as numbered markers, a zoomed lane with the beat grid around the
// playhead and a readout; it moves entries (keys and mouse) with undo, pauses
// picture and music together, jumps to an entry or a moment with a preroll,
// loops a range, saves the table, keeps its own settings beside it and keeps
// unsaved edits in a recovery file when the demo ends.
//
// While it has never been opened nothing of it runs but the test for F2:
// the show, its keys and the table are as they always were.
//
// State: whether it is open, the edits and their history, the settings,
// the music's peaks and beat, the pause and the held picture, what the clock
// was moved by, the keys and mouse of the previous frame.
#pragma once

#include <cstdint>

#include "tvLoading.h"

// Ask for the timeline to be open when the show begins (--edit).
void OpenTimelineAtShowStart(bool open);
// The show begins (right after the schedule's start): opens it if asked.
void BeginTimeline(const TPartTable& parts);
// Before the frame's clock step: while paused the clock stands still.
void TimelineBeforeClock();
// The frame's F2, and while open its keys and mouse. True when the frame's
// keys were the timeline's, so the show's operator keys are not answered.
bool TimelineTakesInput();
// In place of the part's drawing: true when the paused picture was drawn
// instead. Right after a pause the part is drawn once more and kept.
bool TimelineDrawsHeldPicture();
void TimelineAfterPart();
// The band over the finished frame; every piece of GL state is left as found.
void DrawTimeline();
bool TimelineIsOpen();
// The show has ended: unsaved edits go to the recovery file, the settings
// to theirs. Also forgets everything, for the next run in the same process.
void EndTimeline();
// By how much the timeline's pauses and jumps have moved the demo clock
// back: DemoTime plus this runs on as if they had not happened.
int64_t TimelineClockShift();
