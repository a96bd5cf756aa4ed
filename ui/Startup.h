#pragma once
// The program's run, from building its windows to the end of the event loop.

namespace diffrascope::ui {

// Builds the main window (hidden, centred, with the star image of the start
// values) and the hidden secondary window, shows the main window and runs the
// event loop until it is closed. An error on the way, the start-up
// computation's included, goes to the error display. Returns 0 either way.
int RunApplication();

} // namespace diffrascope::ui
