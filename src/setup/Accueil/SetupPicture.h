#pragma once
// The welcome page's picture: a screen, a software box and a compact disc,
// 28 x 30 pixels on a white background that the page draws transparent.

#include "win/handle.h"

// Paints the picture into a new bitmap compatible with the screen.
win::GdiObject MakeSetupPicture();
