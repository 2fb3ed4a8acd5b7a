// The image control under the library's own class name.
#pragma once
#include "ExtCtrls.h"

class TssImage : public TImage {
    SS_CLASS(TssImage, TImage)
public:
    using TImage::TImage;
};
