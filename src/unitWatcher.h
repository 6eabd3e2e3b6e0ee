// The resident watcher (/w): starts the band on the operator's own desktop
// after the idle time, since a saver that Windows starts may run on a desktop
// of its own where the process displays cannot be seen.
#pragma once

#include <cstdint>

// The name that keeps the watcher to one per session.
extern const char kWatcherSessionName[];

// Runs until the session ends; returns at once (0) when a watcher already
// runs in this session. Shows no window, not even a settings report.
int RunWatcher();
