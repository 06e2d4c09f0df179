#pragma once

#include <QString>

struct TRsVersionData;

// The version information of this program: version 1.0.0.0 style numbers in the fixed part, one
// translation (Japanese, Unicode) whose ProductVersion is the four numbers and the build date.
const TRsVersionData& ProgramVersionData();

// Versions of the libraries Qt reads PNG pictures with, as found when the program was configured
// (empty when unknown).
QString ZlibVersionText();
QString LibpngVersionText();
