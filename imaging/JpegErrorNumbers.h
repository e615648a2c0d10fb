#pragma once

// The number that "JPEG error #%d" shows for one of libjpeg's message codes.
int ClassicJpegErrorNumber(int messageCode);
