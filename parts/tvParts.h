// The table of the show's parts that the main program is given: every scene
// set-up under its loading label and share of the loading bar, in loading
// order, and the drawer of each part -1 .. 10 (the intro pictures, and the
// scene calls with the camera or backdrop each part sets first).
//
// State: none; the table is built once and never changes.
#pragma once

#include "tvLoading.h"

const TPartTable& ShowParts();
