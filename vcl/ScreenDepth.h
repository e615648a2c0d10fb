#pragma once

// The display's colour depth in bits per pixel, read once from the screen at start-up. Without a screen
// (tools that link the picture code but open no window) it is 32.
int ScreenColorDepth();

// Reads the depth from the primary screen; the application calls it once while it starts.
void ReadScreenColorDepth();

// Tests set the depth to exercise the paletted paths.
void SetScreenColorDepth(int bitsPerPixel);
