#pragma once

#include "app/ShortCut.h"

#include <QString>

// Keys the panes of the main window keep for themselves: the grids' and the log's arrow, Page,
// Home and End keys, the space bar that ticks a task (and pages the log, Shift+Space back), the
// log's select-all and copy, and Tab between the panes. The log's Ctrl and Shift arrows only repeat
// what the plain arrows do, so they stay free for commands (the command wins there). A command shortcut on one of them would take the key from the pane (or the
// pane from the command), so such a key is never a shortcut: the shortcut key dialog refuses it
// and the shortcut key file cannot set it.
//
// What the window does with the key, in the current language ("ログ: ぜんぶ せんたく"); empty when
// the key is free for a command.
QString WindowKeyUse(TShortCut shortCut);
