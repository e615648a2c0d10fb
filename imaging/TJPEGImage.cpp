#include "imaging/TJPEGImage.h"
