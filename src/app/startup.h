#pragma once

namespace zelvora {

// Starts the program and returns when its message loop has ended.
int runApplication(int argc, char **argv);

} // namespace zelvora
