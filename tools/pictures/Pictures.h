#pragma once

#include <QImage>

// The program's pictures, drawn with anti-aliased vector shapes so that each size is drawn for
// itself instead of being scaled from another.
namespace pictures {

constexpr int StripCells = 32;
constexpr int CellSize = 24;
constexpr int TrayFrames = 8;

// One row of 32 cells of 24 × 24 logical pixels, drawn at the given scale (1 or 2):
// 0-2 test, run, stop and 3-7 add, delete, configure, up, down for task lists; 8-15 the same
// for tasks in a second colour family; 16-23 and 24-31 the run animations of a list and a task.
QImage buttonStrip(int scale);

// The program icon: two purple arrows chasing each other round a circle on a cream square with
// a brown edge, size × size pixels.
QImage programIcon(int size);

// Tray animation frame 0..7: the icon's square with two purple arcs, turned a step further in
// each frame, size × size pixels (16, or 32 for screens at 200 %).
QImage trayFrame(int frame, int size);

} // namespace pictures
