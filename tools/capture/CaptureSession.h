// One capture run: builds the headless runner's options from the command
// line, looks at every presented frame (read-back, pictures, video, frame
// times, progress line) and finishes the outputs after the run.
//
// State: the outputs in progress, the frame count, the tick of the first
// frame and of the music's start, the bench clock and the frame it times. Leaves behind the files
// it was asked for.
#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "CaptureImage.h"
#include "CaptureOptions.h"
#include "FrameGrab.h"
#include "FrameTimes.h"
#include "PartPictures.h"
#include "VideoPipe.h"
#include "tvHeadless.h"

// The demo clock reads 0 until the main loop's first frame, which comes
// after the 1.6 s fade: a presented frame with another reading is a show frame.
bool IsShowFrame(int32_t demoTime);
// Parts -1 to 10; the frame in which the schedule reaches 11 ends the show
// and belongs to no part.
bool IsPart(int32_t part);
// Start-up frames that the bench leaves out: the fixed wait screen and the
// fade, whose frame count follows the virtual clock, not the work done.
bool IsFixedStartUpFrame(uint64_t frameIndex, uint32_t tick, bool fadeKnown, uint32_t fadeEndTick);
// The estimate of the progress line: the rest of the show at the pace of the
// show so far ("1:05 left"), or empty while there is no pace to go by.
std::string TimeLeftText(double demoMsDone, double demoMsLeft, double secondsSpent);

class TCaptureSession {
 public:
  // Options with absolute paths and existing output folders.
  explicit TCaptureSession(const TCaptureOptions& options);
  ~TCaptureSession();

  // The runner's options: the data folder, the clock, the scripted keys
  // (with an Escape after the last --at moment), this session's frame hook,
  // and Escape held from the frame after an output failed.
  THeadlessOptions HeadlessOptions(std::vector<TScriptedKey> keys);
  // Finishes the outputs and prints the bench table; returns the problems
  // found (empty when every requested output was written).
  std::vector<std::string> Finish(std::ostream& report);

 private:
  // What a frame being read back is wanted for, decided when it was shown.
  struct TFrameUse {
    uint64_t Index = 0;
    std::vector<int32_t> Moments;  // the --at moments it stands for
    bool Part = false;             // offered to the part pictures
    int32_t PartNumber = 0;
    uint32_t PartTime = 0;
  };

  void OnFrame();
  void OnPresented();
  void OnContextEnd();
  TFrameUse DecideUse(bool show);
  void CaptureFrame(bool show);
  void Deliver();
  void TimeFrame(bool show, uint32_t tick);
  double StartUpMs() const;
  std::string PresentedWindow() const;
  void ShowProgress(bool last);
  std::string TimeLeft(std::chrono::steady_clock::time_point now) const;
  void FinishVideo();

  TCaptureOptions options_;
  std::unique_ptr<TVideoPipe> video_;
  std::unique_ptr<TPartPictures> parts_;
  TFrameReader reader_;
  std::deque<TFrameUse> uses_;  // of the frames being read back, oldest first
  size_t nextMoment_ = 0;
  uint64_t frames_ = 0;
  uint32_t firstTick_ = 0;
  bool musicKnown_ = false;
  uint32_t musicTick_ = 0;
  bool fadeKnown_ = false;
  uint32_t fadeEndTick_ = 0;
  std::string error_;
  TFrameTimes frameTimes_;
  // The frame being presented: what it is and how long drawing it took.
  struct TTimedFrame {
    uint64_t Index = 0;
    bool Show = false;
    int32_t Part = 0;
    uint32_t Tick = 0;
    double DrawnMs = 0;
  };
  TTimedFrame timed_;
  // Real time of each start-up frame, sorted out once the music's tick is known.
  struct TStartUpFrame {
    uint64_t Index;
    uint32_t Tick;
    double Ms;
  };
  std::vector<TStartUpFrame> startUpFrames_;
  std::chrono::steady_clock::time_point lastFrameEnd_, drawn_, lastProgress_, started_;
  // The first show frame: when it came and the demo clock it showed.
  std::chrono::steady_clock::time_point showStarted_;
  int32_t showStartDemoTime_ = -1;
};
