// The frame hook of a capture run and the outputs it feeds.
#include "CaptureSession.h"

#include <GL/gl.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "AmbBass.h"
#include "AmbInput.h"
#include "AmbSystem.h"
#include "FrameGrab.h"
#include "tvCommon.h"
#include "tvLoading.h"
#include "tvTimeline.h"

namespace {

constexpr uint64_t WaitScreenFrames = 301;
constexpr uint32_t FadeMs = 1600;

std::string FramePictureName(const std::string& folder, uint64_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%06llu.png", static_cast<unsigned long long>(index));
  return folder + name;
}

}  // namespace

bool IsShowFrame(int32_t demoTime) { return demoTime != 0; }

std::string TimeLeftText(double demoMsDone, double demoMsLeft, double secondsSpent) {
  if (demoMsDone <= 0 || secondsSpent <= 0 || demoMsLeft < 0) return "";
  const long left = std::lround(demoMsLeft / demoMsDone * secondsSpent);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld left", left / 60, left % 60);
  return text;
}

bool IsPart(int32_t part) { return part >= FirstPart && part <= LastPart; }

bool IsFixedStartUpFrame(uint64_t frameIndex, uint32_t tick, bool fadeKnown, uint32_t fadeEndTick) {
  // The first wait frame also carries the making of the window, which counts.
  if (frameIndex >= 1 && frameIndex < WaitScreenFrames) return true;
  // The fade's first frame carries the last set-up, which counts too.
  return fadeKnown && tick < fadeEndTick && fadeEndTick - tick < FadeMs;
}

TCaptureSession::TCaptureSession(const TCaptureOptions& options)
    : options_(options), reader_(options.Width, options.Height) {
  if (!options.VideoFile.empty())
    video_ = std::make_unique<TVideoPipe>(options.VideoFile, options.Fps, options.Width, options.Height);
  if (!options.PartsDir.empty()) parts_ = std::make_unique<TPartPictures>(options.PartsDir, options.PartOffsetMs);
  started_ = lastFrameEnd_ = lastProgress_ = std::chrono::steady_clock::now();
}

TCaptureSession::~TCaptureSession() = default;

THeadlessOptions TCaptureSession::HeadlessOptions(std::vector<TScriptedKey> keys) {
  THeadlessOptions headless;
  headless.DataDir = options_.DataDir;
  headless.FramesPerSecond = options_.Fps;
  if (!options_.AtMoments.empty()) keys.push_back(TScriptedKey{DIK_ESCAPE, options_.AtMoments.back(), INT32_MAX});
  headless.Keys = std::move(keys);
  // Key scripts press the timeline's keys too.
  headless.Hooks = TimelineHooks(false);
  headless.OnFrame = [this](const TGLWindow&) { OnFrame(); };
  if (options_.Bench) headless.OnPresented = [this] { OnPresented(); };
  headless.OnContextEnd = [this] { OnContextEnd(); };
  // The fade ends with the screen of the table's loading.
  SetLoadingObserver([this](const std::string& text, float) {
    if (text != "Loading timesync") return;
    fadeKnown_ = true;
    fadeEndTick_ = TickCount();
  });
  // A failed output ends the show at once instead of playing it to its end.
  headless.EndRequested = [this] { return !error_.empty(); };
  started_ = lastFrameEnd_ = lastProgress_ = std::chrono::steady_clock::now();
  return headless;
}

void TCaptureSession::OnFrame() {
  const uint32_t tick = TickCount();
  if (frames_ == 0) firstTick_ = tick;
  if (!musicKnown_) musicKnown_ = MusicStartTick(musicTick_);
  const bool show = IsShowFrame(DemoTime);
  if (options_.Bench) {
    TimeFrame(show, tick);
  } else if (error_.empty()) {
    try {
      CaptureFrame(show);
    } catch (const std::exception& e) {
      error_ = e.what();
    }
  }
  ++frames_;
  ShowProgress(false);
}

// The frames still being read back are the last of the run.
void TCaptureSession::OnContextEnd() {
  try {
    while (error_.empty() && reader_.Pending() > 0) Deliver();
  } catch (const std::exception& e) {
    error_ = e.what();
  }
  reader_.Release();
}

TCaptureSession::TFrameUse TCaptureSession::DecideUse(bool show) {
  TFrameUse use;
  use.Index = frames_;
  // One frame can stand for several moments that fall between two frames.
  for (; show && nextMoment_ < options_.AtMoments.size() && DemoTime >= options_.AtMoments[nextMoment_]; ++nextMoment_)
    use.Moments.push_back(options_.AtMoments[nextMoment_]);
  use.Part = show && parts_ && IsPart(CurrentPart) && parts_->Wants(CurrentPart);
  use.PartNumber = CurrentPart;
  use.PartTime = PartTime;
  return use;
}

// A wanted frame's read-back is started now and its pixels are used one
// frame later, while the next frame is being drawn.
void TCaptureSession::CaptureFrame(bool show) {
  TFrameUse use = DecideUse(show);
  if (options_.FramesDir.empty() && !video_ && use.Moments.empty() && !use.Part) return;
  if (reader_.Pending() == 2) Deliver();
  reader_.Start();
  uses_.push_back(std::move(use));
  if (reader_.Pending() == 2) Deliver();
}

void TCaptureSession::Deliver() {
  TRawFrame raw = reader_.Collect();
  const TFrameUse use = std::move(uses_.front());
  uses_.pop_front();
  if (!options_.FramesDir.empty() || !use.Moments.empty() || use.Part) {
    const TRgbImage frame = ToRgbImage(raw);
    if (!options_.FramesDir.empty()) WritePng(FramePictureName(options_.FramesDir, use.Index), frame);
    for (int32_t moment : use.Moments) WritePng(options_.OutDir + "/at-" + std::to_string(moment) + ".png", frame);
    if (use.Part) parts_->Add(use.PartNumber, use.PartTime, frame);
  }
  if (video_) video_->Write(std::move(raw));
}

// The drawing is timed up to here, its presentation in OnPresented.
void TCaptureSession::TimeFrame(bool show, uint32_t tick) {
  // Wait for the rendering itself, not just for the commands to be queued.
  glFinish();
  drawn_ = std::chrono::steady_clock::now();
  timed_ = TTimedFrame{frames_, show, CurrentPart, tick,
                       std::chrono::duration<double, std::milli>(drawn_ - lastFrameEnd_).count()};
}

void TCaptureSession::OnPresented() {
  glFinish();
  const auto now = std::chrono::steady_clock::now();
  const double ms = timed_.DrawnMs + std::chrono::duration<double, std::milli>(now - drawn_).count();
  lastFrameEnd_ = now;
  if (timed_.Show && IsPart(timed_.Part))
    frameTimes_.Add(timed_.Part, timed_.DrawnMs, ms);
  else if (!timed_.Show)
    startUpFrames_.push_back(TStartUpFrame{timed_.Index, timed_.Tick, ms});
}

std::string TCaptureSession::PresentedWindow() const {
  return options_.PresentWidth > 0
             ? std::to_string(options_.PresentWidth) + "x" + std::to_string(options_.PresentHeight)
             : std::to_string(options_.Width) + "x" + std::to_string(options_.Height);
}

double TCaptureSession::StartUpMs() const {
  double total = 0;
  for (const TStartUpFrame& frame : startUpFrames_)
    if (!IsFixedStartUpFrame(frame.Index, frame.Tick, fadeKnown_, fadeEndTick_)) total += frame.Ms;
  return total;
}

// The show ends at the last --at moment, or else at the table's moment of
// part 11 (as loaded; the operator's keys can change it on the way).
std::string TCaptureSession::TimeLeft(std::chrono::steady_clock::time_point now) const {
  if (showStartDemoTime_ < 0) return "";
  const double end = options_.AtMoments.empty() ? double(TimeSyncTable[EndPart]) : double(options_.AtMoments.back());
  return TimeLeftText(double(DemoTime - showStartDemoTime_), end - double(DemoTime),
                      std::chrono::duration<double>(now - showStarted_).count());
}

void TCaptureSession::ShowProgress(bool last) {
  const auto now = std::chrono::steady_clock::now();
  if (showStartDemoTime_ < 0 && IsShowFrame(DemoTime)) showStarted_ = now, showStartDemoTime_ = DemoTime;
  if (!last && now - lastProgress_ < std::chrono::milliseconds(250)) return;
  lastProgress_ = now;
  const double seconds = std::chrono::duration<double>(now - started_).count();
  const std::string where = IsShowFrame(DemoTime) ? "part " + std::to_string(CurrentPart) : "start-up";
  std::fprintf(stderr, "\r%-9s  frames %8llu  %6.1f fps  %-12s", where.c_str(),
               static_cast<unsigned long long>(frames_), seconds > 0 ? double(frames_) / seconds : 0.0,
               last ? "" : TimeLeft(now).c_str());
  if (last) std::fputc('\n', stderr);
}

void TCaptureSession::FinishVideo() {
  // The music starts (musicTick - firstTick) ms into the video, whose frame n
  // shows the virtual moment firstTick + n * 1000 / fps.
  const std::string music = options_.DataDir + "/abstract.mp3";
  const bool withMusic = musicKnown_ && std::filesystem::exists(music);
  video_->Finish(withMusic ? music : std::string(), double(musicTick_ - firstTick_) / 1000.0);
}

std::vector<std::string> TCaptureSession::Finish(std::ostream& report) {
  SetLoadingObserver({});
  ShowProgress(true);
  std::vector<std::string> problems;
  if (!error_.empty()) problems.push_back(error_);
  for (size_t i = nextMoment_; i < options_.AtMoments.size(); ++i)
    problems.push_back("The show ended before demo-clock moment " + std::to_string(options_.AtMoments[i]));
  try {
    if (parts_ && error_.empty()) parts_->Finish();
    if (video_ && error_.empty()) FinishVideo();
  } catch (const std::exception& e) {
    problems.push_back(e.what());
  }
  if (options_.Bench) report << frameTimes_.Report(StartUpMs(), PresentedWindow());
  return problems;
}
