#pragma once

// Makes JPEG pictures known to the program at start-up: new pictures take the pixel format that suits the
// display, and the picture-format registry knows the class "TJPEGImage" under "jpeg" and "jpg".
void InitJpegSupport();

// Withdraws what InitJpegSupport registered.
void DoneJpegSupport();
