#pragma once

#include <QString>

#include <memory>

namespace vantoro {

class TForm1;
struct Services;

// The whole program, built from the real services: the main window with its guide panel, the
// playlist commands, the player and the two long-lived option dialogs. main() and the start-up
// benchmark build it the same way.
class VantoroProgram
{
public:
    VantoroProgram();
    ~VantoroProgram();

    // The single-instance check, then the main window's start-up and first showing. Answers
    // false when another copy runs: this copy must end without showing anything.
    bool start();
    // The same for a copy asked to play `playlist` (an absolute path): a second copy hands it to
    // the running one; the first copy plays it once its main window is up.
    bool start(const QString& playlist);
    // Plays a playlist as Load and Go would, as soon as no modal window is open (at once when the
    // main window is idle; after the player or a dialog has closed otherwise).
    void playWhenIdle(const QString& playlist);
    TForm1& mainWindow();
    const Services& services() const;

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

// Runs the program and answers its exit code.
int runVantoro(int argc, char** argv);

} // namespace vantoro
