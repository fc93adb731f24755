// The main program: the frame loop with the demo clock, the part schedule
// and the operator keys, and the program order around it; the hooks through
// which a companion of the loop (the operator's timeline) takes part.
//
// State: the tick at which the current part began, the hooks of the run and
// how far they have moved the clock back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tvLoading.h"

// What the frame loop tells and asks a companion, in the order of a frame.
// An empty hook is a companion that does nothing there (and answers false):
// with none the loop is the show alone.
struct TFrameHooks {
  std::function<void(const TPartTable& parts)> ShowBegins;  // right after the schedule began
  std::function<void()> FrameBegins;                        // before the frame's clock step
  // The frame's keys are the companion's: the show's operator keys rest.
  std::function<bool()> TakesKeys;
  // The companion has drawn the frame's picture itself (a held picture).
  std::function<bool()> DrawsInsteadOfPart;
  std::function<void()> PartDrawn;
  std::function<void()> DrawsOverFrame;  // the finished frame, before it is presented
  // Part 11 is reached: true holds the show instead of ending it.
  std::function<bool()> HoldsEnd;
  // The show is over (also after a fatal error); the context still exists.
  std::function<void()> ProgramExits;
};

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
// The loop's test before every frame: Escape held, or part 11 reached and
// not held by the hooks.
bool LoopShouldEnd();
// The clock stands still for `ms` more: the demo clock and the part time
// both start that much later (a paused frame).
void ShiftSchedule(uint32_t ms);
// By how much ShiftSchedule and RestartScheduleAt have moved the demo clock
// back since the schedule began: DemoTime plus this runs on as if they had
// not happened (key scripts run on that clock).
int64_t ScheduleMovedBy();
// The schedule as it would be at `demoMs` of an uninterrupted show: the
// clock at that moment, the part whose entry passed last current (the first
// picture before entry 0), its part time counted from its entry, and the
// next entry due. Scenes keep whatever state they have.
void RestartScheduleAt(uint32_t demoMs);

void RunMainLoop(const TPartTable& parts);
// StartUp, RunMainLoop, ShutDown with the files of the current folder and
// the given hooks; a fatal file error is shown through the message sink.
// SIGINT and SIGTERM end the loop as Escape does. Returns the exit status.
int RunShow(const TPartTable& parts, const TFrameHooks& hooks = {});
// The whole program: the data folder (`dataFolder`, or else looked for),
// then RunShow. 2 when the folder given cannot be entered.
int RunTavix(const TPartTable& parts, const TFrameHooks& hooks, const std::string& dataFolder);
