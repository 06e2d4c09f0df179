#pragma once

// What every dialog of the program starts with: the screen's resolution for its design sizes, a
// fixed frame, and labels that show language texts as they are.

#include <QString>

class QDialog;
class QLabel;
class QWidget;

// The logical dots per inch of the screen the widget is on (of the primary screen before it is
// placed); 96 when the screen does not say.
double ScreenDpi(const QWidget* widget);
// A modal dialog with a title and a close box and no resizing, minimise or maximise box.
void SetFixedDialogFrame(QDialog* dialog);
// A label that never takes its text for rich text (a language text may hold "<").
QLabel* MakePlainLabel(QWidget* parent, const QString& name);
