#pragma once

// What a task's destination can keep, learnt once per task before its trees are compared: how
// finely and over which years it keeps times, and whether it keeps permission bits at all. On a
// destination that cannot keep something, a copy that lacks it is still current: otherwise the same
// files would be copied, and the same directories changed, on every run.

#include "engine/TimeAtResolution.h"

#include <QtGlobal>

class TRsBackupList;

struct TDestinationTraits
{
    TDestinationTimeRule times;
    bool keepsPermissions = true;
};

// Asks the file system of the destination's base directory: its type, else a time written to an
// unnamed temporary file there and read back (nothing appears in the tree), else what the times of
// the copies already there show. dst must have been scanned.
TDestinationTraits LearnDestinationTraits(const TRsBackupList& dst);

// True when a destination directory's attribute word differs from its source's in what the
// destination can keep: every bit, or without permission bits (and the read-only bit made of them)
// where it keeps none.
bool DirAttributesDiffer(quint32 source, quint32 destination, const TDestinationTraits& traits);
