// confined_root.h - the archive root as a folder whose insides are reached
// only beneath its descriptor, never through a symbolic link.
//
// An archive folder may be shared or synced, so anyone may plant a link in
// it: at a subfolder, the attachments folder, a page's name or .tessaly/.
// While a ConfinedRoot lives, every write, rename and removal that
// platform/files.h makes on a path below its root (callers still pass
// absolute paths: root + "/" + ...) is done relative to a descriptor of the
// root: the folder holding the entry is opened with openat2(RESOLVE_BENEATH
// | RESOLVE_NO_SYMLINKS), or where the kernel lacks it by a walk that opens
// each name with O_NOFOLLOW; the entry itself is then made, opened, renamed
// or removed with the *at calls and O_NOFOLLOW. A link on the way fails as
// ELOOP, a ".." or absolute link that would leave the root as EXDEV; the
// link is left as it is. The root itself may be a link: it is what the user
// chose, opened once, following.
//
// Each thread keeps the descriptors of the last few folders it resolved
// (the archive writer fills one folder and its attachments folder, the
// temporary pool makes files ahead there on its own thread), so that a
// write into an open folder costs no system call more than before. A folder
// that someone moves away while it is cached is written to where it went:
// links planted beforehand are what this guards against.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

class ConfinedRoot {
public:
    // Confines the paths below `root` (absolute, without a trailing "/")
    // from now on; when the root cannot be opened nothing is confined (and
    // writes below it fail as they would have).
    explicit ConfinedRoot(const std::string& root);
    // Paths below the root are plain paths again.
    ~ConfinedRoot();
    ConfinedRoot(ConfinedRoot&& other) noexcept : id_(other.id_) { other.id_ = 0; }
    ConfinedRoot& operator=(ConfinedRoot&&) = delete;
    ConfinedRoot(const ConfinedRoot&) = delete;

    bool active() const { return id_ != 0; }

private:
    uint64_t id_ = 0;
};

// An entry named by a path: the descriptor of its folder and its name there.
// For a path below no confined root, AT_FDCWD and the whole path.
struct ConfinedEntry {
    int folder = -100;  // AT_FDCWD; borrowed from the thread's cache
    std::string name;
    bool confined = false;
};

// Finds the folder of the entry `path` names. False (the error recorded)
// when it is below a confined root and that folder cannot be reached
// beneath it without a link, or its last name is "." or "..". The
// descriptor stays valid until this thread locates two more folders.
bool locateEntry(const std::string& path, ConfinedEntry& entry);

// True when `path` lies below a confined root.
bool isConfinedPath(const std::string& path);

// The folder at `path` opened for reading its entries (O_RDONLY |
// O_DIRECTORY, beneath its root when confined); -1 with the error recorded.
int openFolderForListing(const std::string& path);

// How folders below a root are opened: openat2 where the kernel has it, or
// the walk of O_NOFOLLOW opens. Tests choose the walk to check it too.
enum class ConfinedWalk { Kernel, Checked };
void setConfinedWalk(ConfinedWalk walk);

}  // namespace tessaly
