// The show's clock and its music: the music starts at one moment of the
// clock (MusicStartMs), whatever the start-up took, and the clock follows the
// music as it is heard: the output's mixing rounds tell when each moment of
// the song was handed out, the output's latency and the operator's audio
// offset when it is heard; the clock is moved towards that a little every
// frame, never by a jump.
//
// State: whether the clock follows the sound, the moment of the clock at
// which the song's start is heard (moved by the key 2), whether the music
// waits for it, the audio offset, and the part of a ms the clock is owed.
#pragma once

#include <cstdint>
#include <vector>

#include "AmbBass.h"

// The start-up's last step: where the clock has not reached the music's
// moment yet, the music waits for it (the frame loop starts it); where it
// is past, the clock is set back to it (nothing has shown it yet) and the
// music starts now.
void BeginMusic();
// Before the frame's clock step: the clock a little closer to the sound.
void FollowSound();
// After the frame's clock step: music waiting for its moment starts there.
void StartMusicWhenDue();
// The music where the clock is at `demoMs` (a jump, the end of a pause), or
// waiting when that is before the music's moment.
void PlayMusicAtMoment(int64_t demoMs);
// The key 2 moved the clock by `ms` and left the music where it was.
void ShiftMusicMoment(int64_t ms);
// The moment of the clock at which the song's start is heard.
int64_t MusicMoment();

// How much later than the output says the sound is heard (a Bluetooth
// speaker, a television's processing), ms, either sign.
void SetAudioOffset(int32_t ms);
int32_t AudioOffset();
// Off on a virtual clock (the tests and the capture tool), where the
// output's rounds run on another clock: the music then sits exactly where
// the clock puts it.
void SetClockFollowsSound(bool follows);

// The tick at which the song's start was handed out by the latest rounds:
// the latest of them, since a round is sometimes taken late, never early.
double SongStartTick(const std::vector<TSongMix>& mixes);
// How far to move the clock's start this frame towards an error of
// `errorMs`: a tenth of it, at most half the frame, so that the show slows
// or hurries but never jumps.
double ClockStep(double errorMs, double frameMs);
