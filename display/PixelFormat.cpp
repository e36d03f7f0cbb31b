#include "display/PixelFormat.h"

// The start-up's display initialisation or the configuration file replaces it.
int32_t g_pixelFormat = kPixelFormatRgb555;
