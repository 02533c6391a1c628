// A picture of the splash window as a simulated run laid it out: the frame
// and title bar the system adds for its style, the background, the image
// and the lines where the program drew them. Drawn with cairo, written as
// PNG.
#pragma once

#include <filesystem>
#include <string>

#include "window_picture.h"

namespace media {

// False when the window has no area: a picture of it is not drawn.
bool HasArea(const host::WindowPicture& picture);

// False with `error` when the file cannot be written. An image the picture
// library cannot read, or one too large to decode, is drawn as a crossed
// box, with a note in `error`. A window larger than any screen is cut.
bool WriteSplashPicture(const host::WindowPicture& picture, const std::filesystem::path& png,
                        std::string& error);

}  // namespace media
