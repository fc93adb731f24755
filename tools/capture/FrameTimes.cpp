// Frame-time statistics and the bench table.
#include "FrameTimes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Nearest rank: the smallest sample with at least p of all samples at or below it.
double Rank(const std::vector<double>& sorted, double p) {
  const size_t rank = size_t(std::ceil(p * double(sorted.size())));
  return sorted[std::max<size_t>(rank, 1) - 1];
}

}  // namespace

TFrameTimeSummary Summarise(std::vector<double> samplesMs) {
  TFrameTimeSummary summary;
  if (samplesMs.empty()) return summary;
  std::sort(samplesMs.begin(), samplesMs.end());
  summary.Frames = samplesMs.size();
  summary.MedianMs = Rank(samplesMs, 0.5);
  summary.P95Ms = Rank(samplesMs, 0.95);
  summary.WorstMs = samplesMs.back();
  return summary;
}

std::string TFrameTimes::Report(double startUpMs, const std::string& window) const {
  std::string report = "part   frames   median ms   95% ms   worst ms   presented " + window + ": median ms   95% ms\n";
  char line[128];
  for (const auto& [part, samples] : samples_) {
    const TFrameTimeSummary s = Summarise(samples), p = Summarise(presented_.at(part));
    std::snprintf(line, sizeof line, "%4d %8zu %11.2f %8.2f %10.2f %*.2f %8.2f\n", part, s.Frames, s.MedianMs, s.P95Ms,
                  s.WorstMs, int(window.size()) + 23, p.MedianMs, p.P95Ms);
    report += line;
  }
  std::snprintf(line, sizeof line, "start-up (without wait frames and fade): %.0f ms\n", startUpMs);
  return report + line;
}
