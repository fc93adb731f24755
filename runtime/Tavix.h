// The main program: the frame loop with the demo clock, the part schedule
// and the operator keys, and the program order around it.
//
// State: the tick at which the current part began; the table of part
// drawers indexed by part.
#pragma once

#include <cstdint>

// One frame's clock step (frame order step 4): DemoTime, FrameDelta, FrameStep.
void AdvanceDemoClock(uint32_t tick);
// The operator keys of one frame, in table order (frame order step 7).
void HandleOperatorKeys();
// The sine clock (frame order step 11).
void UpdateSineClock();

void RunMainLoop();
// The whole program: data folder, StartUp, RunMainLoop, ShutDown; a fatal
// file error is shown through the message sink. Returns the exit status.
int RunTavix();
