// Part pictures and the contact sheet.
#include "PartPictures.h"

#include "FrameGrab.h"

void TPartPictures::Add(int32_t part, uint32_t partTime, const TRgbImage& frame) {
  if (part != part_) {
    // The previous part ended before its offset: its last frame stands in.
    if (!taken_ && part_ != INT32_MIN) Keep(part_, standInFrame_, std::move(standInTile_));
    part_ = part;
    taken_ = false;
  }
  if (taken_) return;
  TRgbImage tile = ScaleToTile(frame, SheetTileWidth, SheetTileHeight);
  if (partTime >= offsetMs_) {
    Keep(part, frame, std::move(tile));
    taken_ = true;
    return;
  }
  standInFrame_ = frame;
  standInTile_ = std::move(tile);
}

void TPartPictures::Finish() {
  if (!taken_ && part_ != INT32_MIN) Keep(part_, standInFrame_, std::move(standInTile_));
  taken_ = true;
  WritePng(folder_ + "/contact-sheet.png", BuildContactSheet(tiles_));
}

void TPartPictures::Keep(int32_t part, const TRgbImage& frame, TRgbImage tile) {
  WritePng(folder_ + "/part-" + std::to_string(part) + ".png", frame);
  tiles_.push_back(TPartTile{part, std::move(tile)});
}
