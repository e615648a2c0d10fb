#pragma once

#include <QImage>

// The application icon, 48 x 48 with alpha: a cartoon man from the shoulders up, black hair, thick black-rimmed
// glasses, white shirt, black bow tie and pens in the breast pocket, on a transparent background.
QImage DrawAppIcon();
