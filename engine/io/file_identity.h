// Which file a path names, by device and inode rather than by spelling.
#pragma once

#include <cstdint>
#include <string>

namespace vellograph {

// Taken when a command is chosen, so that two names of one file (a bare
// name and a full path, a symbolic link, a hard link) are one file, and a
// name that later comes to mean another file does not count as this one.
struct TFileIdentity {
    // The file itself, when it existed.
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    // The folder it is or would be in, and its name there, links resolved:
    // a file not created yet is known by these alone.
    bool HasFolder = false;
    std::uint64_t FolderDevice = 0;
    std::uint64_t FolderInode = 0;
    std::string Name;

    // One file: the same device and inode, or the same name in the same folder.
    bool Same(const TFileIdentity& other) const;
};

// Never fails: a path that names nothing reachable has an identity equal to
// no other.
TFileIdentity IdentifyFile(const std::string& path);

} // namespace vellograph
