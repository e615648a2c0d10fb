#pragma once

#include <QImage>

// The splash picture, 206 x 206: a white card with a thin black border, a photograph of a wooden toy truck
// carrying a wooden car on a dark blue cloth in the upper left, and a red curved arrow leading down to a much
// smaller copy of the photograph in the lower right.
QImage DrawSplashPicture();
