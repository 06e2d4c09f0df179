// Resolving and relating paths on POSIX.

#include "engine/platform/Location.h"

#include "engine/platform/PathCodec.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace platform {

namespace {

std::vector<std::string> splitComponents(const std::string& path)
{
    std::vector<std::string> parts;
    size_t from = 0;
    while (from <= path.size()) {
        const size_t slash = path.find('/', from);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > from)
            parts.emplace_back(path, from, end - from);
        if (slash == std::string::npos)
            break;
        from = slash + 1;
    }
    return parts;
}

std::string parentOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

std::string joined(const std::string& dir, const std::string& name)
{
    return dir == "/" ? dir + name : dir + '/' + name;
}

// Resolves in native bytes; empty when the path has no exact byte form.
std::string resolveNative(PathView path)
{
    std::string native;
    if (!codec::encodeStrict(path, native) || native.empty())
        return {};
    if (native.front() != '/') {
        std::string cwd;
        if (!codec::encodeStrict(currentDirectory(), cwd) || cwd.empty())
            return {};
        native = cwd + '/' + native;
    }

    // `real` never holds a link, ".", ".." or an empty name, so its lexical parent is its real one.
    std::string real = "/";
    std::vector<std::string> missing; // components below the last existing directory
    for (const std::string& part : splitComponents(native)) {
        if (part == ".")
            continue;
        if (!missing.empty()) {
            if (part == "..")
                missing.pop_back();
            else
                missing.push_back(part);
            continue;
        }
        if (part == "..") {
            real = parentOf(real);
            continue;
        }
        const std::string candidate = joined(real, part);
        struct stat st;
        if (::lstat(candidate.c_str(), &st) != 0) {
            missing.push_back(part);
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            const std::unique_ptr<char, decltype(&::free)> target(::realpath(candidate.c_str(), nullptr), &::free);
            if (!target) {
                // A dangling link (or one too deep to follow): nothing can be below it, so its spelling
                // is all there is to compare.
                missing.push_back(part);
                continue;
            }
            real = target.get();
            continue;
        }
        real = candidate;
    }
    for (const std::string& part : missing)
        real = joined(real, part);
    return real;
}

struct Identity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const Identity& o) const { return exists && o.exists && device == o.device && inode == o.inode; }
};

Identity identityOf(const std::string& native)
{
    struct stat st;
    if (::stat(native.c_str(), &st) != 0)
        return {};
    return {true, st.st_dev, st.st_ino};
}

// True when `inner` lies strictly below `outer`: by spelling, or because one of inner's existing
// ancestors is outer itself (another mount of the same directory).
bool liesBelow(const std::string& inner, const std::string& outer, const Identity& outerId)
{
    if (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0
        && (outer == "/" || inner[outer.size()] == '/'))
        return true;
    if (!outerId.exists)
        return false;
    for (std::string up = inner; up != "/";) {
        up = parentOf(up);
        const Identity id = identityOf(up);
        if (id == outerId)
            return true;
    }
    return false;
}

} // namespace

Path resolveLocation(PathView path)
{
    const std::string native = resolveNative(path);
    return native.empty() ? Path() : fromNative(native);
}

LocationRelation relateLocations(PathView first, PathView second)
{
    const std::string a = resolveNative(first);
    const std::string b = resolveNative(second);
    if (a.empty() || b.empty())
        return LocationRelation::Apart;
    const Identity idA = identityOf(a);
    const Identity idB = identityOf(b);
    if (a == b || idA == idB)
        return LocationRelation::Same;
    if (liesBelow(a, b, idB))
        return LocationRelation::Inside;
    if (liesBelow(b, a, idA))
        return LocationRelation::Contains;
    return LocationRelation::Apart;
}

} // namespace platform
