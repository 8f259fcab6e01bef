#pragma once

namespace mirebo {

// Makes every window kind known to the window runtime.
void registerForms();

// The application's look, once its object exists: the program icon, the
// style, and the default font of every window and control.
void configureApplication();

// The whole program: starts with the today window and returns when the last
// window is unloaded.
int run(int argc, char *argv[]);

} // namespace mirebo
