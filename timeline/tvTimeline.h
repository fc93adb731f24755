// The operator's timeline: an editor of the schedule's moments drawn in a
// band at the bottom of the frame over the running show, beside the frame
// loop through its hooks. F2 opens and closes it. It shows the music's
// waveform on the demo clock with the entries as numbered markers, a zoomed
// lane with the beat grid around the playhead and a readout; it moves
// entries (keys and mouse) with undo, pauses picture and music together,
// jumps to an entry or a moment with a preroll, loops a range, saves the
// table, keeps its own settings beside it and keeps edits that no file holds
// in a recovery file when the demo ends.
//
// While it has never been opened nothing of it runs but the test for F2:
// the show, its keys and the table are as they always were.
//
// State: whether it is open, the edits and their history, the settings, the
// music's peaks and beat, the lane's zoom, the notice line, a recovered
// table, the band's font and pictures.
#pragma once

#include "Tavix.h"

// The hooks that put the timeline beside the frame loop; `openAtStart`
// opens it as the show begins (--edit). As the show begins the audio offset
// kept in its settings takes effect, unless the command line gave one.
TFrameHooks TimelineHooks(bool openAtStart, bool audioOffsetGiven = false);
