// Image loaders (placeholder bodies until the decoders land).
#include "Amb2Textures.h"

void SwapRedBlue(uint8_t*, size_t) {}
uint32_t CreateTextureFromPixels(uint16_t, uint16_t, TPixelFormat, const uint8_t*) { return 0; }
TDecodeResult DecodeBmp(const uint8_t*, size_t, const std::string&, bool) { return {}; }
TDecodeResult DecodeJpg(const uint8_t*, size_t, const std::string&, bool) { return {}; }
TDecodeResult DecodeTga(const uint8_t*, size_t, const std::string&, bool) { return {}; }
bool LoadBmpFile(const std::string&, uint32_t&, bool) { return false; }
bool LoadJpgFile(const std::string&, uint32_t&, bool) { return false; }
bool LoadTgaFile(const std::string&, uint32_t&, bool) { return false; }
void LoadImageFile(const std::string&, uint32_t&, bool) {}
void RegisterResourceImage(const std::string&, const std::string&, std::vector<uint8_t>) {}
