#pragma once

namespace zelvora {

// Starts the program and returns when its message loop has ended. The only
// code that knows both the locality search and the street directory: it
// builds the main window and hands it what opens the street window.
int runApplication(int argc, char **argv);

} // namespace zelvora
