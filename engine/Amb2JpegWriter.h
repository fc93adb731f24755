// The one JPEG encoder: the data generator writes the demo's pictures with
// it and the benchmarks make their test picture with it.
//
// State: none.
#pragma once

#include <cstdint>
#include <vector>

// Pixels top row first, `channels` bytes each (3 or 4), of which the first
// three are taken as red, green and blue; Huffman tables optimised.
std::vector<uint8_t> EncodeJpeg(const uint8_t* pixels, int width, int height, int channels, int quality);
