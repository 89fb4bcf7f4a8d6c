#pragma once

#include <thread>

namespace vantoro {

// Loads the font configuration on a thread of its own while the main thread builds the program's
// parts (and waits for the session bus). The main window's first text waits for it otherwise:
// fontconfig parses its XML files and maps its caches, several milliseconds of the start.
// Fontconfig keeps one configuration for the process and loads it safely from any thread; Qt's font
// database then finds it loaded. The thread is joined when the returned object goes; none is
// started when no thread can be had.
std::jthread warmUpFontConfiguration();

} // namespace vantoro
