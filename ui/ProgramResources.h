#pragma once

// The pictures built into the program (its icon, the tray frames) live in a static library, whose
// resources are registered only when asked for; every window that shows one asks first.
void InitProgramResources();
