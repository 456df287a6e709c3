#pragma once

namespace zelvora {

// Starts the program and returns when its message loop has ended: the main
// window as makeMainWindow() wires it.
int runApplication(int argc, char **argv);

} // namespace zelvora
