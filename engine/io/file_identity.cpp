// File identities: stat of the file, or of its folder plus the name.
#include "engine/io/file_identity.h"

#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>

namespace vellograph {

namespace {

std::string RealPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : std::string();
}

} // namespace

bool TFileIdentity::Same(const TFileIdentity& other) const {
    if (Exists && other.Exists) {
        return Device == other.Device && Inode == other.Inode;
    }
    return HasFolder && other.HasFolder && FolderDevice == other.FolderDevice &&
           FolderInode == other.FolderInode && Name == other.Name;
}

TFileIdentity IdentifyFile(const std::string& path) {
    TFileIdentity id;
    if (path.empty()) {
        return id;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        id.Exists = true;
        id.Device = st.st_dev;
        id.Inode = st.st_ino;
    }
    // The folder and the name the file has (or would get) once links are
    // followed: a dangling link names the file it would create.
    std::string full = id.Exists ? RealPath(path) : std::string();
    if (full.empty()) {
        const auto slash = path.find_last_of('/');
        const std::string folder =
            slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
        const std::string realFolder = RealPath(folder);
        if (realFolder.empty()) {
            return id;
        }
        full = realFolder + "/" + (slash == std::string::npos ? path : path.substr(slash + 1));
    }
    const auto slash = full.find_last_of('/');
    const std::string folder = slash == 0 ? "/" : full.substr(0, slash);
    if (::stat(folder.c_str(), &st) == 0) {
        id.HasFolder = true;
        id.FolderDevice = st.st_dev;
        id.FolderInode = st.st_ino;
        id.Name = full.substr(slash + 1);
    }
    return id;
}

} // namespace vellograph
