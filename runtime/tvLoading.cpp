// Start-up with the wait screen, the loading screen and the asset manifest,
// and the shutdown.
//
// State: LoadingPicture, the background of the loading screen.
#include "tvLoading.h"

uint32_t LoadingPicture = 0;

void StartUp() {}
void ShutDown() {}
void ShowLoadingProgress(const std::string&, float) {}
void DrawLoadingScreen(const std::string&, float) {}
std::string LoadingLine(const std::string& text, float) { return text; }
