#pragma once

// Whether the window toolkit will find a display to draw on. The platform the user chose
// (QT_QPA_PLATFORM) decides when it is set; otherwise the program uses X (falling back to drawing
// nowhere), so an X server that accepts a connection is what counts: DISPLAY alone is not enough
// (it may name a server that is gone, as in a cron job started from a desktop session).
bool DisplayReachable();
