#pragma once

namespace mirebo {

// Makes every window kind known to the window runtime.
void registerForms();

// The whole program: starts with the today window and returns when the last
// window is unloaded.
int run(int argc, char *argv[]);

} // namespace mirebo
