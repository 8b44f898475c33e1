#pragma once

class QImage;

namespace vidorama::swf {

class Player;
class Renderer;

// Describes the player's current frame to a renderer that draws a picture of
// width x height pixels, the stage stretched over all of it (exact fit): the
// one set-up every driver of the engine draws its frames with.
void DrawFrame(const Player& player, Renderer& renderer, int width, int height);

// Draws the player's current frame over the whole target image, the stage
// stretched to the image's size (exact fit), at the player's quality. The image must be
// Format_ARGB32_Premultiplied or Format_RGB32; other formats are converted.
void RenderFrame(const Player& player, QImage& target);

} // namespace vidorama::swf
