#pragma once

class QWidget;

namespace vidorama {

class MessageBoxes;

// Whether pictures of this size may be captured and encoded: every path
// that makes a picture of a movie keeps one limit on its pixels. A size over
// it is refused with a message box that says the limit; false then.
bool CheckCaptureSize(int width, int height, MessageBoxes& boxes, QWidget* owner);

} // namespace vidorama
