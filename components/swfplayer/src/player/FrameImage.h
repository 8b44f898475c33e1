#pragma once

class QImage;

namespace vidorama::swf {

class Player;

// Draws the player's current frame over the whole target image, the stage
// stretched to the image's size (exact fit), at the player's quality. The image must be
// Format_ARGB32_Premultiplied or Format_RGB32; other formats are converted.
void RenderFrame(const Player& player, QImage& target);

} // namespace vidorama::swf
