#pragma once

namespace vantoro {

// Builds the real services and windows, runs the program and answers its exit code.
int runVantoro(int argc, char** argv);

} // namespace vantoro
