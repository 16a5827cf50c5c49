// Pictures as one looping animated GIF (giflib): every picture whole, with a palette of its
// own colours (exactly them where there are at most 255, else 255 standing in for them), a
// transparent index for the pixels under half opaque, and cleared before the next one.
#pragma once
#include <string>
#include <vector>

#include "export/capture.h"

// delays: hundredths of a second, one per picture. False with the library's reason.
bool WriteAnimatedGif(const std::string& path, const std::vector<Picture>& pictures, const std::vector<int>& delays,
                      std::string& error);
