// What the timeline knows of the music. The onset envelope is the rise of
// loudness in three bands (low, middle, high), each measured over 10 ms and
// stepped every 2.5 ms, so that a kick, a clap and a hat all count and a
// beat is placed to a few ms. Its autocorrelation over the tempo range picks
// the tempo (with a mild preference for about 120 beats a minute, so that
// half and double tempo do not tie); then folding the whole envelope onto
// finely stepped beat lengths settles tempo and phase together: the right
// beat length stacks every onset of the song into one narrow peak.
//
// State: none.
#include "tvBeatGrid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kMinBpm = 60, kMaxBpm = 200;
constexpr double kHopSeconds = 0.0025;
constexpr size_t kLoudnessHops = 4;         // the 10 ms over which a band's loudness is measured
constexpr double kSplitHz[] = {150, 2000};  // band edges
constexpr int kCombBeats = 2;               // autocorrelation lags of one and two beats
constexpr size_t kLagSlack = 2;             // hops either side of a candidate's lag
constexpr double kMinPeriodicity = 0.05;    // of the envelope's variance, below which nothing beats
constexpr int kMinRate = 4000;              // room for the top band below half the rate
constexpr double kTwoPi = 6.283185307179586;

struct TEnvelope {
  std::vector<float> Rise;  // one value per hop, the onset strength
  double HopSeconds = 0;
};

// Two one-pole low-passes in a row, a gentle 12 dB/octave split.
struct TLowPass {
  float A = 0, Y1 = 0, Y2 = 0;
  TLowPass(double hz, int rate) : A(float(1 - std::exp(-kTwoPi * hz / rate))) {}
  float Step(float x) {
    Y1 += A * (x - Y1);
    Y2 += A * (Y1 - Y2);
    return Y2;
  }
};

using TBands = std::array<std::vector<float>, 3>;

// Each band's energy per hop, the channels mixed to one.
TBands BandEnergies(const int16_t* samples, size_t frames, int channels, int rate, size_t hop) {
  TBands energy;
  for (auto& band : energy) band.assign(frames / hop, 0.0f);
  TLowPass low(kSplitHz[0], rate), mid(kSplitHz[1], rate);
  const float scale = 1.0f / (32768.0f * float(channels));
  const int16_t* in = samples;
  for (size_t t = 0; t < energy[0].size(); ++t) {
    float sums[3] = {0, 0, 0};
    for (size_t i = 0; i < hop; ++i) {
      int sum = 0;
      for (int c = 0; c < channels; ++c) sum += *in++;
      const float x = float(sum) * scale, l = low.Step(x), m = mid.Step(x);
      sums[0] += l * l;
      sums[1] += (m - l) * (m - l);
      sums[2] += (x - m) * (x - m);
    }
    for (size_t b = 0; b < energy.size(); ++b) energy[b][t] = sums[b];
  }
  return energy;
}

// A band's loudness over the last few hops, compressed against the band's
// own average so that quiet and loud songs, and thin and full bands, weigh
// alike; rises of it are onsets.
void AddRises(const std::vector<float>& energy, std::vector<float>& rise) {
  double total = 0;
  for (float e : energy) total += e;
  if (total <= 0) return;
  const double gain = 100.0 / std::sqrt(total / double(energy.size()));
  double window = 0, last = 0;
  for (size_t t = 0; t < energy.size(); ++t) {
    window += energy[t] - (t >= kLoudnessHops ? energy[t - kLoudnessHops] : 0.0f);
    const double loudness = std::log1p(gain * std::sqrt(std::max(window, 0.0) / kLoudnessHops));
    if (t > 0) rise[t] += float(std::max(loudness - last, 0.0));
    last = loudness;
  }
}

TEnvelope OnsetEnvelope(const int16_t* samples, size_t frames, int channels, int rate) {
  TEnvelope envelope;
  const size_t hop = std::max<size_t>(1, size_t(std::lround(rate * kHopSeconds)));
  envelope.HopSeconds = double(hop) / rate;
  const TBands energy = BandEnergies(samples, frames, channels, rate, hop);
  envelope.Rise.assign(energy[0].size(), 0.0f);
  for (const auto& band : energy) AddRises(band, envelope.Rise);
  return envelope;
}

// Autocorrelation of the envelope less its mean, per lag, up to `maxLag`;
// four running sums per lag keep the inner loop fast without reordering.
std::vector<double> Autocorrelation(const std::vector<float>& rise, size_t maxLag) {
  double mean = 0;
  for (float r : rise) mean += r;
  mean /= double(rise.size());
  std::vector<float> x(rise.size());
  for (size_t t = 0; t < x.size(); ++t) x[t] = float(rise[t] - mean);
  std::vector<double> acf(maxLag + kLagSlack + 1, 0.0);
  for (size_t lag = 0; lag < acf.size() && lag < x.size(); ++lag) {
    const size_t n = x.size() - lag;
    float sums[4] = {0, 0, 0, 0};
    size_t t = 0;
    for (; t + 4 <= n; t += 4)
      for (size_t k = 0; k < 4; ++k) sums[k] += x[t + k] * x[t + k + lag];
    double sum = double(sums[0]) + sums[1] + sums[2] + sums[3];
    for (; t < n; ++t) sum += double(x[t]) * x[t + lag];
    acf[lag] = sum / double(n);
  }
  return acf;
}

// The autocorrelation summed over a few hops either side of `at`: a sharp
// onset's peak is narrower than the steps between tempo candidates, and is
// split between two lags when the beat is not a whole number of hops.
double NearLag(const std::vector<double>& acf, double at) {
  const size_t centre = size_t(std::lround(at));
  const size_t from = centre > kLagSlack ? centre - kLagSlack : 0, to = std::min(acf.size() - 1, centre + kLagSlack);
  double sum = 0;
  for (size_t lag = from; lag <= to; ++lag) sum += acf[lag];
  return sum;
}

// The beats-a-minute whose lags of one and two beats correlate best, times a
// preference of about one octave around 120; 0 when nothing correlates.
double CoarseBpm(const TEnvelope& envelope) {
  const double framesPerMinute = 60.0 / envelope.HopSeconds;
  const std::vector<double> acf = Autocorrelation(envelope.Rise, size_t(kCombBeats * framesPerMinute / kMinBpm) + 1);
  if (!(acf[0] > 0)) return 0;
  double best = 0, bestBpm = 0;
  for (double bpm = kMinBpm; bpm <= kMaxBpm; bpm += 0.25) {
    double comb = 0;
    for (int k = 1; k <= kCombBeats; ++k) comb += NearLag(acf, k * framesPerMinute / bpm);
    const double octaves = std::log2(bpm / 120.0);
    const double score = comb / kCombBeats * std::exp(-0.5 * octaves * octaves);
    if (score > best) best = score, bestBpm = bpm;
  }
  return best > kMinPeriodicity * acf[0] * (2 * kLagSlack + 1) ? bestBpm : 0;
}

struct TFold {
  double Peak = 0;   // the height of the folded envelope's highest point
  double Phase = 0;  // where it is, in hops from the start, within one beat
};

// The whole envelope folded onto one beat of `period` hops, in one bin per
// hop, lightly smoothed; the peak is placed between bins by a parabola.
TFold Fold(const std::vector<float>& rise, double period) {
  const size_t bins = std::max<size_t>(3, size_t(period));
  std::vector<double> folded(bins, 0.0);
  const double perBin = double(bins) / period;
  double at = 0.5 * perBin;  // hop t's middle, in bins into its beat
  for (float r : rise) {
    folded[std::min(bins - 1, size_t(at))] += r;
    at += perBin;
    if (at >= double(bins)) at -= double(bins);
  }
  std::vector<double> smooth(bins);
  for (size_t b = 0; b < bins; ++b) smooth[b] = folded[(b + bins - 1) % bins] + 2 * folded[b] + folded[(b + 1) % bins];
  const size_t top = size_t(std::max_element(smooth.begin(), smooth.end()) - smooth.begin());
  const double before = smooth[(top + bins - 1) % bins], peak = smooth[top], after = smooth[(top + 1) % bins];
  const double curve = before - 2 * peak + after;
  const double shift = curve < 0 ? 0.5 * (before - after) / curve : 0.0;
  return {peak, std::fmod((double(top) + 0.5 + shift) / perBin + period, period)};
}

// Steps through beats-a-minute from `low` to `high` and keeps the sharpest fold.
double SharpestBpm(const TEnvelope& envelope, double low, double high, double step) {
  double bestBpm = low, bestPeak = -1;
  for (double bpm = low; bpm <= high + step / 2; bpm += step) {
    const double peak = Fold(envelope.Rise, 60.0 / (bpm * envelope.HopSeconds)).Peak;
    if (peak > bestPeak) bestPeak = peak, bestBpm = bpm;
  }
  return bestBpm;
}

}  // namespace

std::vector<float> WaveformPeaks(const int16_t* samples, size_t frames, int channels, int rate, double sliceMs) {
  std::vector<float> peaks;
  double sliceFrames = sliceMs * rate / 1000.0;
  if (!samples || frames == 0 || channels <= 0 || rate <= 0 || !(sliceFrames > 0)) return peaks;
  sliceFrames = std::clamp(sliceFrames, 1.0, double(frames));
  const size_t count = size_t(std::ceil(double(frames) / sliceFrames));
  peaks.reserve(count);
  const size_t width = size_t(channels);
  for (size_t i = 0; i < count; ++i) {
    const size_t from = size_t(double(i) * sliceFrames);
    const size_t to = std::min(frames, std::max(from + 1, size_t(double(i + 1) * sliceFrames)));
    int peak = 0;
    for (size_t s = from * width; s < to * width; ++s) peak = std::max(peak, std::abs(int(samples[s])));
    peaks.push_back(float(peak) / 32768.0f);
  }
  return peaks;
}

TBeatEstimate EstimateBeat(const int16_t* samples, size_t frames, int channels, int rate) {
  TBeatEstimate estimate;
  // At least a few beats at the slowest tempo, or there is nothing to correlate.
  const double minSeconds = 2.0 * kCombBeats * 60.0 / kMinBpm;
  if (!samples || channels <= 0 || rate < kMinRate || double(frames) < minSeconds * rate) return estimate;
  const TEnvelope envelope = OnsetEnvelope(samples, frames, channels, rate);
  const double coarse = CoarseBpm(envelope);
  if (coarse == 0) return estimate;
  double bpm = SharpestBpm(envelope, std::max(kMinBpm, coarse - 2), std::min(kMaxBpm, coarse + 2), 0.02);
  bpm = SharpestBpm(envelope, std::max(kMinBpm, bpm - 0.02), std::min(kMaxBpm, bpm + 0.02), 0.001);
  const double period = 60.0 / (bpm * envelope.HopSeconds);
  estimate.Bpm = bpm;
  estimate.FirstBeatMs = Fold(envelope.Rise, period).Phase * envelope.HopSeconds * 1000.0;
  return estimate;
}
