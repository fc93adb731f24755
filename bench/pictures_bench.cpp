// Decode time of the three image decoders on 512 x 512 pictures built in
// memory (no GL): the start-up decodes every texture of the demo once.
#include <benchmark/benchmark.h>

#include <vector>

#include "Amb2JpegWriter.h"
#include "Amb2Textures.h"

namespace {

constexpr int Side = 512;

uint8_t Shade(int x, int y, int channel) { return uint8_t((x * (channel + 1) + y * (3 - channel)) & 0xFF); }

std::vector<uint8_t> ShadedJpeg() {
  std::vector<uint8_t> rgb(size_t(Side) * Side * 3);
  for (int y = 0; y < Side; ++y)
    for (int x = 0; x < Side; ++x)
      for (int c = 0; c < 3; ++c) rgb[(size_t(y) * Side + x) * 3 + c] = Shade(x, y, c);
  return EncodeJpeg(rgb.data(), Side, Side, 3, 90);
}

std::vector<uint8_t> TgaHeader(uint8_t type) {
  std::vector<uint8_t> h(18, 0);
  h[2] = type;
  h[12] = Side & 0xFF;
  h[13] = Side >> 8;
  h[14] = Side & 0xFF;
  h[15] = Side >> 8;
  h[16] = 32;
  return h;
}

std::vector<uint8_t> RawTga() {
  std::vector<uint8_t> t = TgaHeader(2);
  for (int i = 0; i < Side * Side; ++i) t.insert(t.end(), {Shade(i, 0, 0), Shade(i, 0, 1), Shade(i, 0, 2), 255});
  return t;
}

// Runs of 16 pixels alternating with raw packets of 16.
std::vector<uint8_t> RleTga() {
  std::vector<uint8_t> t = TgaHeader(10);
  for (int i = 0; i < Side * Side; i += 32) {
    t.insert(t.end(), {0x8F, 1, 2, 3, 255, 0x0F});
    for (int k = 0; k < 16; ++k) t.insert(t.end(), {Shade(k, i, 0), Shade(k, i, 1), Shade(k, i, 2), 255});
  }
  return t;
}

std::vector<uint8_t> Bmp() {
  std::vector<uint8_t> b(54, 0);
  b[14 + 4] = Side & 0xFF;
  b[14 + 5] = Side >> 8;
  b[14 + 8] = Side & 0xFF;
  b[14 + 9] = Side >> 8;
  b[14 + 14] = 24;
  for (int i = 0; i < Side * Side * 3; ++i) b.push_back(uint8_t(i));
  return b;
}

void Decode(benchmark::State& state, TDecodeResult (*decode)(const uint8_t*, size_t, const std::string&, bool),
            const std::vector<uint8_t>& bytes) {
  for (auto _ : state) {
    TDecodeResult r = decode(bytes.data(), bytes.size(), "bench", false);
    if (!r.Ok) state.SkipWithError(r.Text.c_str());
    benchmark::DoNotOptimize(r.Image.Pixels.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * Side * Side * 4);
}

void BM_DecodeJpg512(benchmark::State& state) { Decode(state, DecodeJpg, ShadedJpeg()); }
void BM_DecodeTgaRaw512(benchmark::State& state) { Decode(state, DecodeTga, RawTga()); }
void BM_DecodeTgaRle512(benchmark::State& state) { Decode(state, DecodeTga, RleTga()); }
void BM_DecodeBmp512(benchmark::State& state) { Decode(state, DecodeBmp, Bmp()); }

}  // namespace

BENCHMARK(BM_DecodeJpg512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTgaRaw512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTgaRle512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBmp512)->Unit(benchmark::kMillisecond);
