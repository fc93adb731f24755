// The main program: the frame loop with the demo clock, the part schedule
// and the operator keys, and the program order around it.
//
// State: the tick at which the current part began.
#pragma once

#include <cstdint>
#include <string>

#include "tvLoading.h"

// Program order step 3: part -1 begins now.
void BeginSchedule();
// Frame order steps 1-2: poll the keyboard and change the part when due.
void StartFrame();
// Frame order steps 4-8: clock, part time, keys again, operator keys, lock.
void UpdateFrameState();
// One frame's clock step (frame order step 4): DemoTime, FrameDelta, FrameStep.
void AdvanceDemoClock(uint32_t tick);
// The operator keys of one frame, in table order (frame order step 7).
void HandleOperatorKeys();
// The part time (frame order step 5).
void UpdatePartTime(uint32_t tick);
// The sine clock (frame order step 11).
void UpdateSineClock();
// The loop's test before every frame: Escape held, or part 11 reached while
// the timeline is closed (an open timeline holds the end).
bool LoopShouldEnd();
// The clock stands still for `ms` more: the demo clock and the part time
// both start that much later (a paused frame).
void ShiftSchedule(uint32_t ms);
// The schedule as it would be at `demoMs` of an uninterrupted show: the
// clock at that moment, the part whose entry passed last current (the first
// picture before entry 0), its part time counted from its entry, and the
// next entry due. Scenes keep whatever state they have.
void RestartScheduleAt(uint32_t demoMs);

void RunMainLoop(const TPartTable& parts);
// StartUp, RunMainLoop, ShutDown with the files of the current folder; a
// fatal file error is shown through the message sink. SIGINT and SIGTERM end
// the loop as Escape does. Returns the exit status.
int RunShow(const TPartTable& parts);
// The whole program: the data folder (`dataFolder`, or else looked for),
// then RunShow. 2 when the folder given cannot be entered.
int RunTavix(const TPartTable& parts, const std::string& dataFolder);
