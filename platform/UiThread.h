#pragma once

// True on the thread the windows live on (the application object's).
bool OnUiThread();

// Ends the program, naming `what`, when it is called off the windows' thread. The message channel
// and the windows are for that thread only; this check is made in debug builds and in sanitizer
// builds, and costs nothing otherwise.
#if !defined(NDEBUG) || defined(SUITE_THREAD_CHECKS)
void RequireUiThread(const char* what);
#else
inline void RequireUiThread(const char*) {}
#endif
