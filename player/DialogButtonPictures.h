#pragma once

class QPushButton;

namespace vantoro {

// Gives an option dialog's OK and Cancel buttons the style's pictures, once. The pictures load
// the image plugins, which would cost several milliseconds of the program's start-up if the
// dialogs fetched them when they are built; they fetch them when they are first shown.
void fetchOkCancelPictures(QPushButton& ok, QPushButton& cancel);

} // namespace vantoro
