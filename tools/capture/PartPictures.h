// The --parts output: one full-size picture per part, taken at a chosen
// offset into the part (or at the part's last frame when the part is
// shorter), and the contact sheet of all of them.
//
// State: the tiles taken so far, the part being watched and the frame that
// stands in for it until its offset is reached.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CaptureImage.h"
#include "ContactSheet.h"

class TPartPictures {
 public:
  TPartPictures(std::string folder, uint32_t offsetMs) : folder_(std::move(folder)), offsetMs_(offsetMs) {}

  // Whether the next show frame of this part is needed (read back).
  bool Wants(int32_t part) const { return part != part_ || !taken_; }
  // A show frame of the part, partTime ms into it. Needs the GL context
  // (the tile is scaled by GLU).
  void Add(int32_t part, uint32_t partTime, const TRgbImage& frame);
  // Keeps the stand-in of the last part and writes the contact sheet.
  void Finish();
  const std::vector<TPartTile>& Tiles() const { return tiles_; }

 private:
  void Keep(int32_t part, const TRgbImage& frame, TRgbImage tile);

  std::string folder_;
  uint32_t offsetMs_;
  std::vector<TPartTile> tiles_;
  int32_t part_ = INT32_MIN;
  bool taken_ = false;
  TRgbImage standInFrame_, standInTile_;
};
