// The show on the real clock against a real sound server (PipeWire with its
// PulseAudio server, started by sound-server.sh in a folder of the test's
// own, with a null sink): the sink's monitor is recorded with the graph's
// own times, and the song found in it tells when each moment of the music
// passed the sink, to compare with the moment the show's clock puts it at.
#include <gtest/gtest.h>
#include <pipewire/pipewire.h>
#include <signal.h>
#include <spa/param/audio/format-utils.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>

#include "AmbBass.h"
#include "SpineSupport.h"
#include "tvCommon.h"
#include "tvHeadless.h"
#include "tvParts.h"
#include "tvSoundSync.h"

namespace {

using spine::Eventually;
using spine::TScratchFolder;

constexpr int Rate = 48000;            // the server's graph
constexpr int32_t FirstBeatMs = 9000;  // the song's first kick on the show's clock

int64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The sink's monitor, L+R, and the time each graph cycle's first frame
// passed the sink (CLOCK_MONOTONIC), from the first cycle on.
class TSinkRecorder {
 public:
  explicit TSinkRecorder(size_t seconds) : frames_(seconds * Rate), cycles_(seconds * Rate / 16) {
    pw_init(nullptr, nullptr);
    loop_ = pw_thread_loop_new("sink recorder", nullptr);
    // Real-time scheduling for the data thread, so that it keeps up under load.
    context_ = pw_context_new(pw_thread_loop_get_loop(loop_),
                              pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
    pw_thread_loop_lock(loop_);
    pw_thread_loop_start(loop_);
    core_ = pw_context_connect(context_, nullptr, 0);
    if (core_) {
      stream_ = pw_stream_new(
          core_, "tavix sink recorder",
          pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Capture", "target.object", "tavix_null",
                            "stream.capture.sink", "true", "node.dont-reconnect", "true", nullptr));
      pw_stream_add_listener(stream_, &listener_, &Events, this);
      uint8_t pod[512];
      spa_pod_builder builder = SPA_POD_BUILDER_INIT(pod, sizeof pod);
      spa_audio_info_raw info{};
      info.format = SPA_AUDIO_FORMAT_F32;
      info.rate = Rate;
      info.channels = 2;
      info.position[0] = SPA_AUDIO_CHANNEL_FL;
      info.position[1] = SPA_AUDIO_CHANNEL_FR;
      const spa_pod* params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info)};
      pw_stream_connect(
          stream_, PW_DIRECTION_INPUT, PW_ID_ANY,
          pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS | PW_STREAM_FLAG_RT_PROCESS), params,
          1);
    }
    pw_thread_loop_unlock(loop_);
  }
  ~TSinkRecorder() {
    pw_thread_loop_lock(loop_);
    if (stream_) pw_stream_destroy(stream_);
    if (core_) pw_core_disconnect(core_);
    pw_thread_loop_unlock(loop_);
    pw_thread_loop_stop(loop_);
    pw_context_destroy(context_);
    pw_thread_loop_destroy(loop_);
    pw_deinit();
  }
  bool Recording() const { return cycleCount_.load() > 0; }
  size_t FrameCount() const { return frameCount_.load(); }
  const float* Frames() const { return frames_.data(); }

  // When the recorded frame passed the sink, ns.
  double FrameNs(size_t frame) const {
    const TCycle& c = CycleAt([frame](const TCycle& each) { return each.first <= frame; });
    return double(c.second) + (double(frame) - double(c.first)) * 1e9 / Rate;
  }
  // The frame that passed the sink at `ns`.
  int64_t FrameAt(double ns) const {
    const TCycle& c = CycleAt([ns](const TCycle& each) { return double(each.second) <= ns; });
    return int64_t(c.first) + std::llround((ns - double(c.second)) * Rate / 1e9);
  }

 private:
  static void Process(void* data) {
    auto& self = *static_cast<TSinkRecorder*>(data);
    pw_buffer* buffer = pw_stream_dequeue_buffer(self.stream_);
    if (!buffer) return;
    pw_time time{};
    pw_stream_get_time_n(self.stream_, &time, sizeof time);
    const spa_data& d = buffer->buffer->datas[0];
    const size_t first = self.frameCount_.load(), cycle = self.cycleCount_.load();
    if (d.data && d.chunk && cycle < self.cycles_.size()) {
      const uint32_t offset = std::min(d.chunk->offset, d.maxsize);
      const size_t frames =
          std::min<size_t>(std::min(d.chunk->size, d.maxsize - offset) / 8, self.frames_.size() - first);
      const float* in = reinterpret_cast<const float*>(static_cast<const uint8_t*>(d.data) + offset);
      for (size_t i = 0; i < frames; ++i) self.frames_[first + i] = in[2 * i] + in[2 * i + 1];
      const double delayNs = time.rate.denom ? 1e9 * double(time.delay) * time.rate.num / time.rate.denom : 0;
      self.cycles_[cycle] = {first, time.now - int64_t(delayNs)};
      self.frameCount_.store(first + frames);
      self.cycleCount_.store(cycle + 1);
    }
    pw_stream_queue_buffer(self.stream_, buffer);
  }
  using TCycle = std::pair<size_t, int64_t>;  // a cycle's first frame, and when it passed
  // The last recorded cycle that is `before` the moment asked for (both
  // columns only grow), or the first one.
  template <typename Before>
  const TCycle& CycleAt(Before before) const {
    const auto end = cycles_.begin() + std::ptrdiff_t(cycleCount_.load());
    const auto after = std::partition_point(cycles_.begin(), end, before);
    return after == cycles_.begin() ? *after : *(after - 1);
  }
  static pw_stream_events MakeEvents() {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.process = Process;
    return events;
  }
  static inline const pw_stream_events Events = MakeEvents();

  std::vector<float> frames_;
  std::vector<TCycle> cycles_;
  std::atomic<size_t> frameCount_{0}, cycleCount_{0};
  pw_thread_loop* loop_ = nullptr;
  pw_context* context_ = nullptr;
  pw_core* core_ = nullptr;
  pw_stream* stream_ = nullptr;
  spa_hook listener_{};
};

// What a frame of the show noted: when, on which clock.
struct TFrameNote {
  int64_t MonotonicNs;
  uint32_t Tick, StartTick;
  int32_t Demo;
};

// A run of the show from its start to `untilMs` on its clock, recorded.
struct TSoundRun {
  std::vector<TFrameNote> Frames;
  std::vector<float> Song;  // L+R at the graph's rate from SongFromMs
  static constexpr double SongFromMs = 2500;
  std::unique_ptr<TSinkRecorder> Recorder;
  int64_t MusicMoment = 0;

  void NoteFrame() {
    Frames.push_back({MonotonicNs(), TickCount(), StartTick, DemoTime});
    if (!Song.empty() || !MusicPlaying()) return;
    const TMusicSamples music = MusicSamples(MusicSlot);
    for (size_t i = 0; i < 16 * size_t(Rate); ++i) {
      const double at = (SongFromMs / 1000 + double(i) / Rate) * music.Rate;
      const size_t whole = size_t(at);
      if (whole + 1 >= music.Frames) break;
      const auto mono = [&](size_t f) { return float(music.Data[2 * f] + music.Data[2 * f + 1]) / 32768; };
      Song.push_back(mono(whole) + float(at - double(whole)) * (mono(whole + 1) - mono(whole)));
    }
  }

  // The show's clock as CLOCK_MONOTONIC ns at demo moment `ms`: the tick
  // count read at a frame is at most a ms behind the time read with it.
  double ClockNs(int32_t ms) const {
    int64_t offset = INT64_MAX;
    for (const TFrameNote& f : Frames) offset = std::min(offset, f.MonotonicNs - int64_t(f.Tick) * 1000000);
    auto at = std::find_if(Frames.rbegin(), Frames.rend(), [ms](const TFrameNote& f) { return f.Demo <= ms; });
    return double(offset) + double(int64_t(at->StartTick) + ms) * 1e6;
  }

  // When the song's moment at demo `ms` passed the sink, ns: where its next
  // 250 ms match the recording best within 400 ms of the clock's moment,
  // first on every 4th frame of both, then frame by frame around that.
  double HeardNs(int32_t ms) const {
    const size_t from = size_t((double(ms - MusicMoment) - SongFromMs) * Rate / 1000), length = Rate / 4;
    const int64_t expected = Recorder->FrameAt(ClockNs(ms));
    if (from + length > Song.size()) return NAN;
    const auto match = [&](int64_t at, size_t step) {
      double dot = 0, energy = 1e-9;
      for (size_t i = 0; i + step <= length; i += step) {
        float heard = 0, song = 0;
        for (size_t k = i; k < i + step; ++k) heard += Recorder->Frames()[size_t(at) + k], song += Song[from + k];
        dot += double(heard) * song;
        energy += double(heard) * heard;
      }
      return dot / std::sqrt(energy);
    };
    const auto best = [&](int64_t first, int64_t last, int64_t step) {
      double score = -INFINITY;
      int64_t found = first;
      for (int64_t at = std::max<int64_t>(first, 0); at <= last && size_t(at) + length <= Recorder->FrameCount();
           at += step)
        if (const double each = match(at, size_t(step)); each > score) score = each, found = at;
      return found;
    };
    const int64_t near = best(expected - Rate * 4 / 10, expected + Rate * 4 / 10, 4);
    return Recorder->FrameNs(size_t(best(near - 8, near + 8, 1)));
  }
  // How much later than the clock puts it the song's moment at `ms` passed the sink, ms.
  double LateMs(int32_t ms) const { return (HeardNs(ms) - ClockNs(ms)) / 1e6; }
  // Whether the song from `fromMs` to `toMs` passed the sink without a gap:
  // in as long as it lasts, within 2 ms.
  bool Unbroken(int32_t fromMs, int32_t toMs) const {
    return std::abs((HeardNs(toMs) - HeardNs(fromMs)) / 1e6 - (toMs - fromMs)) < 2;
  }
};

// The clock following a simulated output over 60 s of frames at 60 fps: one
// whose device takes its samples 1000 ppm faster than the system's clock
// (the song runs ahead, 60 ms by the end), and one that stalls for 1.5 s
// at 20 s (the song 1.5 s behind after it, to a round). The clock's start
// follows where the rounds put the song's start, within a ms once it has
// caught up (4.5 s after the stall), and
// never moves by more than half a frame a frame.
TEST(SoundSync, TheClockFollowsADriftingOrStalledOutputWithoutAJump) {
  struct TOutput {
    const char* Name;
    double Speed;        // song ms per system ms
    double StallFromMs;  // the device takes nothing for 1.5 s from here
    double CaughtUpMs;   // in step from here on
  };
  for (const TOutput& output : {TOutput{"1000 ppm fast", 1.001, 1e9, 1000}, TOutput{"stall", 1, 20000, 26000}}) {
    SCOPED_TRACE(output.Name);
    constexpr double Round = 2048 * 1000.0 / 44100, Frame = 1000.0 / 60;
    std::vector<TSongMix> mixes;
    double start = 0, nextRound = 0, song = 0, worstStep = 0, worstError = 0;
    for (double now = 0; now < 60000; now += Frame) {
      for (; nextRound <= now; nextRound += Round / output.Speed) {
        if (nextRound >= output.StallFromMs && nextRound < output.StallFromMs + 1500) continue;
        mixes.push_back({nextRound, song});
        song += Round;
        if (mixes.size() > 16) mixes.erase(mixes.begin());
      }
      const double step = ClockStep(SongStartTick(mixes) - start, Frame);
      start += step;
      worstStep = std::max(worstStep, std::abs(step));
      if (now >= output.CaughtUpMs) worstError = std::max(worstError, std::abs(SongStartTick(mixes) - start));
    }
    EXPECT_LE(worstStep, Frame / 2);
    EXPECT_LT(worstError, 1);
    EXPECT_NEAR(start, output.Speed == 1 ? 1500 : -60, Round);
  }
}

class SoundServer : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(std::system(("sh " + script_ + " start " + folder_.Path).c_str()), 0)
        << "the sound server did not start (its log is above)";
    std::ifstream env(folder_.Path + "/env");
    for (std::string line; std::getline(env, line);)
      setenv(line.substr(0, line.find('=')).c_str(), line.substr(line.find('=') + 1).c_str(), 1);
    unsetenv("SDL_AUDIODRIVER");  // as on a desktop: SDL's own choice
  }
  void TearDown() override { std::system(("sh " + script_ + " stop " + folder_.Path).c_str()); }

  pid_t ServerPid(const std::string& name) const {
    std::ifstream pids(folder_.Path + "/pids");
    std::string each;
    pid_t pid = 0;
    while (pids >> each >> pid)
      if (each == name) return pid;
    return 0;
  }

  // The show from its start until `untilMs` of its clock, `onFrame` after each frame.
  static TSoundRun Play(int32_t untilMs, const std::function<void(const TFrameNote&)>& onFrame = {}) {
    TSoundRun run;
    run.Recorder = std::make_unique<TSinkRecorder>(60);
    EXPECT_TRUE(Eventually([&run] { return run.Recorder->Recording(); }, 20)) << "nothing recorded";
    THeadlessOptions options;
    options.DataDir = TAVIX_DATA_DIR;
    options.RealClock = true;
    options.OnFrame = [&](const TGLWindow&) {
      run.NoteFrame();
      if (onFrame) onFrame(run.Frames.back());
    };
    options.EndRequested = [untilMs] { return DemoTime >= untilMs; };
    EXPECT_EQ(RunHeadless(ShowParts(), options).ExitCode, 0);
    run.MusicMoment = MusicMoment();
    EXPECT_FALSE(run.Song.empty()) << "the music never played";
    return run;
  }

 private:
  TScratchFolder folder_;
  std::string script_ = std::string(TAVIX_SOURCE_DIR) + "/tests/support/sound-server.sh";
};

// However long the start-up took, the first beat passes the sink where the
// clock puts it, within 15 ms, and as close on three starts. A start whose
// sound dropped out before the beat (a busy machine) is not counted.
TEST_F(SoundServer, TheFirstBeatPassesTheSinkWhereTheClockPutsIt) {
  std::vector<double> late;
  for (int start = 0; start < 6 && late.size() < 3; ++start) {
    const TSoundRun run = Play(FirstBeatMs + 800);
    const bool unbroken = run.Unbroken(FirstBeatMs - 4000, FirstBeatMs + 500);
    std::cout << "first beat heard " << run.LateMs(FirstBeatMs) << " ms after the clock's moment"
              << (unbroken ? "\n" : ", after a dropout\n");
    if (unbroken) late.push_back(run.LateMs(FirstBeatMs));
  }
  ASSERT_EQ(late.size(), 3u) << "the sound dropped out on more than three starts";
  for (double each : late) EXPECT_LE(std::abs(each), 15);
  EXPECT_LE(*std::max_element(late.begin(), late.end()) - *std::min_element(late.begin(), late.end()), 5);
}

// The server stalls for 1.5 s after the first beat: the sound falls behind,
// the clock slows to wait for it (at most half a frame's step a frame, no
// jump), and a few seconds later the beats pass the sink in step again
// (those with no dropout in the second and a half before them).
TEST_F(SoundServer, AfterAStallOfTheServerThePictureComesBackInStepWithoutAJump) {
  const pid_t server = ServerPid("pipewire-pulse");
  ASSERT_NE(server, 0);
  int64_t stoppedAt = 0;
  bool resumed = false;
  const TSoundRun run = Play(19000, [&](const TFrameNote& frame) {
    if (stoppedAt == 0 && frame.Demo >= FirstBeatMs + 500) {
      kill(server, SIGSTOP);
      stoppedAt = frame.MonotonicNs;
    } else if (stoppedAt != 0 && !resumed && frame.MonotonicNs > stoppedAt + 1500000000) {
      kill(server, SIGCONT);
      resumed = true;
    }
  });
  ASSERT_TRUE(resumed);
  int inStep = 0;
  for (int32_t ms = 16000; ms <= 18000; ms += 500) {
    const bool unbroken = run.Unbroken(ms - 1500, ms);
    std::cout << "beat at " << ms << " ms heard " << run.LateMs(ms) << " ms after the clock's moment"
              << (unbroken ? "\n" : ", after a dropout\n");
    if (!unbroken) continue;
    EXPECT_LE(std::abs(run.LateMs(ms)), 15) << ms;
    ++inStep;
  }
  EXPECT_GE(inStep, 2) << "the sound dropped out too often to tell";
  const auto beat = std::find_if(run.Frames.begin(), run.Frames.end(), [](auto& f) { return f.Demo >= FirstBeatMs; });
  EXPECT_GT(int32_t(run.Frames.back().StartTick - beat->StartTick), 1000) << "the clock never waited";
  // At most half a frame a frame. The step is taken before a frame is drawn
  // and seen where the frame is noted, after it is shown: the frame it was
  // taken over reaches into the one before, so half of the two, and a ms of
  // rounding each way.
  for (size_t i = 2; i < run.Frames.size(); ++i) {
    const TFrameNote &earlier = run.Frames[i - 2], &before = run.Frames[i - 1], &after = run.Frames[i];
    if (earlier.Demo < FirstBeatMs) continue;  // the start-up sets the clock as it likes
    EXPECT_LE(std::abs(int32_t(after.StartTick - before.StartTick)), int32_t((after.Tick - earlier.Tick) / 2 + 2))
        << "a jump at " << after.Demo << " ms";
  }
}

}  // namespace
