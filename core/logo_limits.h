// What a printer model's flash logo may be, and the messages that refuse a
// picture that is not: one source for the logo window and the command line.
#pragma once

#include "raster.h"

namespace logo {

enum class Model {
    Mm58,
    Mm80
};

// Widest logo in dots: 384 on 58 mm paper, 576 on 80 mm.
inline constexpr int maxWidth(Model model)
{
    return model == Model::Mm58 ? 384 : 576;
}

inline const char *tooWideMessage(Model model)
{
    return model == Model::Mm58 ? "The width of the bitmap should not exceed 384 pixels!"
                                : "The width of the bitmap should not exceed 576 pixels!";
}

inline constexpr const char *kTooLargeMessage = "The BMP file size can not exceed 160Kb";
inline constexpr const char *kTooSmallMessage = "The bitmap must be at least 8 x 8 pixels to be downloaded.";

// The message for a download the raster builder refused for its size; null
// for any other status.
inline const char *sizeRefusal(raster::Status status)
{
    switch (status) {
    case raster::Status::TooLarge:
        return kTooLargeMessage;
    case raster::Status::TooSmall:
        return kTooSmallMessage;
    default:
        return nullptr;
    }
}

} // namespace logo
