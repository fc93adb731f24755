// The music at its moment of the show's clock, and the clock following the
// music as heard.
#include "tvSoundSync.h"

#include <algorithm>
#include <cmath>

#include "AmbSystem.h"
#include "tvCommon.h"

namespace {

constexpr size_t RoundsWeighed = 8;
constexpr double LongestFrameMs = 100;  // a stalled frame moves the clock no further

bool follows = true;
int64_t musicMoment = MusicStartMs;
bool waiting = false;
int32_t audioOffset = 0;
double owed = 0;  // the part of a ms the clock's start is yet to move
uint32_t lastFollowTick = 0;

// How much earlier than heard the output takes a moment of the song.
double Lead() { return follows ? OutputLatencyMs() + audioOffset : 0; }

// The song from the clock's moment `demoMs` on, as it is to be heard then.
void PlayFrom(int64_t demoMs) {
  const double songMs = double(demoMs - musicMoment) + Lead();
  MusicChannel = songMs <= 0 ? PlayMusic(MusicSlot, 100, 0) : PlayMusicFrom(MusicSlot, uint32_t(std::lround(songMs)));
}

}  // namespace

double SongStartTick(const std::vector<TSongMix>& mixes) {
  double latest = -INFINITY;
  for (size_t i = mixes.size() > RoundsWeighed ? mixes.size() - RoundsWeighed : 0; i < mixes.size(); ++i)
    latest = std::max(latest, mixes[i].TickMs - mixes[i].SongMs);
  return latest;
}

double ClockStep(double errorMs, double frameMs) {
  const double most = 0.5 * std::clamp(frameMs, 0.0, LongestFrameMs);
  return std::clamp(0.1 * errorMs, -most, most);
}

void BeginMusic() {
  musicMoment = MusicStartMs;
  owed = 0;
  const uint32_t tick = lastFollowTick = TickCount();
  const double heardIn = Lead();
  // Where the set-ups took longer, the clock starts over at the moment the
  // music is heard at: nothing has shown it yet.
  if (double(int32_t(tick - StartTick)) + heardIn > double(musicMoment))
    StartTick = tick - uint32_t(musicMoment - std::lround(heardIn));
  waiting = true;
  StartMusicWhenDue();
}

void StartMusicWhenDue() {
  const int32_t now = int32_t(TickCount() - StartTick);
  if (!waiting || double(now) + Lead() < double(musicMoment)) return;
  waiting = false;
  PlayFrom(now);
}

void FollowSound() {
  const uint32_t tick = TickCount();
  const double frameMs = double(tick - lastFollowTick);
  lastFollowTick = tick;
  if (!follows || waiting) return;
  const std::vector<TSongMix> mixes = RecentSongMixes();
  if (mixes.empty()) return;
  const double wanted = SongStartTick(mixes) + Lead() - double(musicMoment);
  const double error = std::remainder(wanted - double(StartTick) - owed, 4294967296.0);
  owed += ClockStep(error, frameMs);
  const double whole = std::trunc(owed);
  StartTick += uint32_t(int32_t(whole));
  owed -= whole;
}

void PlayMusicAtMoment(int64_t demoMs) {
  waiting = double(demoMs) + Lead() < double(musicMoment);
  if (waiting)
    StopMusic();
  else
    PlayFrom(demoMs);
}

void ShiftMusicMoment(int64_t ms) { musicMoment += ms; }

int64_t MusicMoment() { return musicMoment; }

void SetAudioOffset(int32_t ms) { audioOffset = ms; }

int32_t AudioOffset() { return audioOffset; }

void SetClockFollowsSound(bool follow) { follows = follow; }
