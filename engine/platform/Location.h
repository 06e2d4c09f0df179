#pragma once

// Where two paths really are, relative to each other. Two spellings of one directory ("/x/./a",
// "/x//a/", "/x/b/../a", a link to it, the same directory mounted twice) must count as one, or a
// backup could be written into its own source and a mirror delete the tree it copies.

#include "engine/platform/Platform.h"

namespace platform {

// The path with ".", ".." and repeated delimiters removed and every link among its existing leading
// directories followed, as the file system would resolve it; the part that does not exist yet is
// normalised by its spelling alone. A relative path is taken from the current directory. Names are
// kept byte for byte. An empty result means the path has no exact byte form.
Path resolveLocation(PathView path);

enum class LocationRelation {
    Apart,   // neither lies in the other
    Same,    // one directory
    Inside,  // the first lies below the second
    Contains // the second lies below the first
};

// How the first path lies relative to the second, after resolving both. Where both exist (or
// their existing parts do), identity by device and inode decides, so a directory reached by two
// mount points is still recognised.
LocationRelation relateLocations(PathView first, PathView second);

} // namespace platform
