// The control system's command (/e): ends the band in every session as a
// move would, and holds the watchers for a while.
#pragma once

// Exit codes: 0 done (whether or not a band ran), 2 a bad argument, 3 the
// named objects could not be had. Shows no window; messages go to the
// caller's console or standard error.
int RunEndCommand();
