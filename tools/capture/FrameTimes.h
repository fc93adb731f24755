// The frame-time report of --bench: real milliseconds per frame collected by
// part, the frame alone and the frame with its presentation into the window,
// summarised as count, median, 95th percentile and worst.
//
// State: the samples of each part seen so far.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct TFrameTimeSummary {
  size_t Frames = 0;
  double MedianMs = 0;
  double P95Ms = 0;
  double WorstMs = 0;
};

// Nearest-rank statistics over the samples (all zero for none).
TFrameTimeSummary Summarise(std::vector<double> samplesMs);

class TFrameTimes {
 public:
  void Add(int32_t part, double frameMs, double presentedMs) {
    samples_[part].push_back(frameMs);
    presented_[part].push_back(presentedMs);
  }
  // One line per part in part order, then the start-up time; window names
  // the size presented into ("1920x1080").
  std::string Report(double startUpMs, const std::string& window) const;

 private:
  std::map<int32_t, std::vector<double>> samples_, presented_;
};
