#include "cli/file_access.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "cli/ending_signals_posix.h"
#include "cli/staged_file.h"
#include "crypto/wipe.h"

namespace {

std::string Reason(const std::string& what, int error) { return what + ": " + std::strerror(error); }

// What is read may be a plain text: every buffer it passes through is wiped
// when let go, also the ones outgrown while reading from a pipe.
std::vector<std::uint8_t> ReadDescriptor(int descriptor, const std::string& name) {
    std::vector<std::uint8_t> bytes;
    struct stat status {};
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        if (static_cast<std::uint64_t>(status.st_size) > kMaxReadBytes) throw TooLargeToRead(name);
        bytes.reserve(static_cast<std::size_t>(status.st_size));
    }
    std::uint8_t chunk[1 << 16];
    const WipeOnExit wipeChunk(chunk, sizeof chunk);
    try {
        for (;;) {
            const ssize_t got = read(descriptor, chunk, sizeof chunk);
            if (got == 0) return bytes;
            if (got < 0) {
                if (errno == EINTR) continue;
                throw FileError(Reason("cannot read " + name, errno));
            }
            if (bytes.size() + static_cast<std::size_t>(got) > kMaxReadBytes) throw TooLargeToRead(name);
            AppendWiping(bytes, chunk, static_cast<std::size_t>(got));
        }
    } catch (...) {
        WipeVector(bytes);
        throw;
    }
}

void WriteAll(int descriptor, const std::uint8_t* bytes, std::size_t size, const std::string& name) {
    while (size > 0) {
        const ssize_t written = write(descriptor, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw FileError(Reason("cannot write " + name, errno));
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

// A descriptor with one owner, closed when let go.
class Descriptor {
public:
    explicit Descriptor(int descriptor = -1) : m_descriptor(descriptor) {}
    ~Descriptor() {
        if (m_descriptor >= 0) close(m_descriptor);
    }
    Descriptor(Descriptor&& other) noexcept : m_descriptor(other.m_descriptor) { other.m_descriptor = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(m_descriptor, other.m_descriptor);
        return *this;
    }
    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

// A name the staged file may take in the target's folder; successive
// attempts give different names.
std::string StagingName(unsigned attempt) {
    static const unsigned start = std::random_device{}();
    char name[32];
    std::snprintf(name, sizeof name, "TEM%06X.tmp", (start + attempt * 40503u) & 0xFFFFFFu);
    return name;
}
constexpr unsigned kStagingAttempts = 1000;

// The named staged file, where a signal handler can reach it; one file is
// staged at a time.
struct StagedName {
    int folder;
    char name[32];
    volatile sig_atomic_t set;
};
StagedName g_staged;

void RemoveStagedFile() {
    if (g_staged.set) unlinkat(g_staged.folder, g_staged.name, 0);
}

// Where a write to a target goes: an open descriptor of the folder that
// holds the file, the file's name in it, and the folder's path for
// messages as a prefix of the name ("/" for the root, "" for the current
// folder, else ending in "/").
struct TargetPlace {
    Descriptor folder;
    std::string prefix;
    std::string name;
    std::string Folder() const { return prefix.empty() ? "." : prefix.size() == 1 ? prefix : prefix.substr(0, prefix.size() - 1); }
    std::string Shown() const { return prefix + name; }
};

// The descriptor of a file that takes the target's place once it is whole,
// made in the target's folder through that folder's descriptor. Where the
// file system allows, it has no name until then (O_TMPFILE): nothing, not
// even SIGKILL, can leave a half-written copy (for export, the plain text)
// in the folder. Elsewhere it is a named TEM*.tmp beside the target,
// removed when it is not renamed over the target, also when a signal ends
// the process meanwhile (SIGKILL cannot be caught).
class StagedDescriptor {
public:
    explicit StagedDescriptor(const TargetPlace& place) : m_place(place), m_folder(place.folder.get()) {
        // Linking an unnamed file goes through /proc/self/fd.
        if (access("/proc/self/fd", X_OK) == 0) {
            m_descriptor = openat(m_folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
            if (m_descriptor >= 0) return;
        }
        int error = EEXIST;
        for (unsigned attempt = 0; attempt < kStagingAttempts && error == EEXIST; ++attempt) {
            // No signal may come between the file's creation and its handler.
            const EndingSignalsBlocked blocked;
            const std::string name = StagingName(attempt);
            m_descriptor = openat(m_folder, name.c_str(), O_CREAT | O_EXCL | O_NOFOLLOW | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
            error = errno;
            if (m_descriptor >= 0) {
                m_name = name;
                g_staged.folder = m_folder;
                std::memcpy(g_staged.name, name.c_str(), name.size() + 1);
                g_staged.set = 1;
                m_signals.emplace(RemoveStagedFile);
                return;
            }
        }
        throw FileError(Reason("cannot create a file in " + m_place.Folder(), error));
    }
    ~StagedDescriptor() {
        if (m_descriptor >= 0) close(m_descriptor);
        if (!m_placed && !m_name.empty()) unlinkat(m_folder, m_name.c_str(), 0);
        g_staged.set = 0;
        m_signals.reset();
    }
    StagedDescriptor(const StagedDescriptor&) = delete;
    StagedDescriptor& operator=(const StagedDescriptor&) = delete;

    // The file for messages.
    std::string name() const { return m_name.empty() ? "a new file in " + m_place.Folder() : m_place.prefix + m_name; }
    int descriptor() const { return m_descriptor; }

    // Puts the file at the target's name in its folder, replacing what is there.
    void PlaceAt() {
        if (m_name.empty()) {
            LinkOver();
            Close();
            return;
        }
        Close();
        // Once renamed, the name is the target's: no signal may remove it
        // between the rename and the handler learning of it.
        bool renamed = false;
        int error = 0;
        {
            const EndingSignalsBlocked blocked;
            renamed = renameat(m_folder, m_name.c_str(), m_folder, m_place.name.c_str()) == 0;
            error = errno;
            if (renamed) g_staged.set = 0;
        }
        if (!renamed) throw FileError(Reason("cannot replace " + m_place.Shown(), error));
        m_placed = true;
    }

private:
    void Close() {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        if (close(descriptor) != 0) throw FileError(Reason("cannot write " + name(), errno));
    }

    // A link cannot replace a file, so the unnamed file is linked under a
    // free TEM*.tmp name and that is renamed over the target, with the ending
    // signals held back in between so that no caught signal leaves the name.
    void LinkOver() {
        const std::string self = "/proc/self/fd/" + std::to_string(m_descriptor);
        const EndingSignalsBlocked blocked;
        int error = EEXIST;
        for (unsigned attempt = 0; attempt < kStagingAttempts && error == EEXIST; ++attempt) {
            const std::string linked = StagingName(attempt);
            if (linkat(AT_FDCWD, self.c_str(), m_folder, linked.c_str(), AT_SYMLINK_FOLLOW) != 0) {
                error = errno;
                continue;
            }
            if (renameat(m_folder, linked.c_str(), m_folder, m_place.name.c_str()) != 0) {
                error = errno;
                unlinkat(m_folder, linked.c_str(), 0);
                throw FileError(Reason("cannot replace " + m_place.Shown(), error));
            }
            m_placed = true;
            return;
        }
        throw FileError(Reason("cannot replace " + m_place.Shown(), error));
    }

    const TargetPlace& m_place;  // the StagedFile's, which outlives this
    int m_folder;
    std::string m_name;  // empty while the file has no name
    int m_descriptor = -1;
    bool m_placed = false;
    std::optional<EndingSignalsCaught> m_signals;
};

FileError NotFollowed(const std::string& link, const std::string& why) {
    return FileError("the symbolic link " + link + " is not followed: " + why + "; it and what it names are left alone");
}

bool WritableByOthers(const struct stat& status) { return (status.st_mode & (S_IWGRP | S_IWOTH)) != 0; }
bool OwnedByCallerOrRoot(const struct stat& status) { return status.st_uid == geteuid() || status.st_uid == 0; }

struct stat FolderStatus(const TargetPlace& place) {
    struct stat status {};
    if (fstat(place.folder.get(), &status) != 0) throw FileError(Reason("cannot look at " + place.Folder(), errno));
    return status;
}

// Starts a walk at the root or the current folder, as path is absolute or not.
void StartWalk(TargetPlace& place, const std::string& path) {
    place.prefix = path[0] == '/' ? "/" : "";
    const int descriptor = open(path[0] == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) throw FileError(Reason("cannot open the folder " + place.Folder(), errno));
    place.folder = Descriptor(descriptor);
}

// Adds path's components to those still to walk (kept last first).
void PushComponents(std::vector<std::string>& rest, const std::string& path) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, slash - start);
        if (!part.empty() && part != ".") parts.push_back(part);
        start = slash + 1;
    }
    rest.insert(rest.end(), parts.rbegin(), parts.rend());
}

// Finds the folder and name a write to target replaces, component by
// component through descriptors: each folder is opened without following a
// link, so the folder descriptor that results is the one that was looked
// at, and no folder swapped for a link afterwards can redirect the write.
// Symbolic links are followed so that the change reaches every name of the
// file and the link stays a link, but only a link of the caller's, in a
// folder nobody else may change, leading only through folders of the
// caller's or root's: those may be writable by others only when sticky
// (others cannot replace what is in them), the file's own folder not at
// all. Otherwise another user could turn the write (root's among them) onto
// a file of their choosing.
TargetPlace FindTargetPlace(const std::string& target) {
    if (target.empty() || target.back() == '/') throw NotARegularFile(target);
    TargetPlace place;
    StartWalk(place, target);
    std::vector<std::string> rest;
    PushComponents(rest, target);
    std::string followed;  // the last link followed
    unsigned links = 0;
    while (!rest.empty()) {
        const std::string part = rest.back();
        rest.pop_back();
        struct stat status {};
        const bool exists = fstatat(place.folder.get(), part.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
        if (!exists && errno != ENOENT) throw FileError(Reason("cannot look at " + place.prefix + part, errno));
        if (exists && S_ISLNK(status.st_mode)) {
            const struct stat folder = FolderStatus(place);
            followed = place.prefix + part;
            if (status.st_uid != geteuid()) throw NotFollowed(followed, "it is another user's");
            if (!OwnedByCallerOrRoot(folder) || WritableByOthers(folder))
                throw NotFollowed(followed, "other users may change the folder " + place.Folder() + " that holds it");
            if (++links > 40) throw FileError(target + " leads through more than 40 symbolic links");
            char named[PATH_MAX];
            const ssize_t length = readlinkat(place.folder.get(), part.c_str(), named, sizeof named);
            if (length <= 0 || static_cast<std::size_t>(length) >= sizeof named)
                throw FileError(target + " is a symbolic link to nothing usable");
            const std::string path(named, static_cast<std::size_t>(length));
            if (path[0] == '/') StartWalk(place, path);
            PushComponents(rest, path);
            continue;
        }
        if (rest.empty()) {
            place.name = part;
            break;
        }
        const int next = openat(place.folder.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) throw FileError(Reason("cannot open the folder " + place.prefix + part, errno));
        place.folder = Descriptor(next);
        place.prefix += part + "/";
        const struct stat folder = FolderStatus(place);
        if (!followed.empty() && (!OwnedByCallerOrRoot(folder) || (WritableByOthers(folder) && (folder.st_mode & S_ISVTX) == 0)))
            throw NotFollowed(followed, "it leads through " + place.Folder() + ", which other users may change");
    }
    if (place.name.empty() || place.name == "..") throw NotARegularFile(target);
    if (!followed.empty() && WritableByOthers(FolderStatus(place)))
        throw NotFollowed(followed, "it leads into " + place.Folder() + ", which other users may write to");
    return place;
}

// What the file at place is now (st_mode 0 when there is none yet). Only a
// regular file is replaced, and only one the user may write and that has no
// other names: the hard links would keep the old note.
struct stat ReplaceableFile(const TargetPlace& place) {
    struct stat status {};
    const int folder = place.folder.get();
    if (fstatat(folder, place.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) throw FileError(Reason("cannot look at " + place.Shown(), errno));
        return {};
    }
    if (!S_ISREG(status.st_mode)) throw NotARegularFile(place.Shown());
    if (status.st_nlink > 1) throw HasOtherNames(place.Shown(), status.st_nlink);
    if ((status.st_mode & 0222) == 0 || faccessat(folder, place.name.c_str(), W_OK, 0) != 0)
        throw ReadOnlyForUser(place.Shown());
    return status;
}

}  // namespace

std::vector<std::uint8_t> ReadRegularFile(const std::string& path) {
    // Without O_NONBLOCK, opening a named pipe waits for a writer, perhaps
    // for ever, before its type can be looked at; a regular file reads as
    // it would without it.
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) throw FileError(Reason("cannot open " + path, errno));
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        const bool folder = S_ISDIR(status.st_mode);
        close(descriptor);
        throw FileError("cannot read " + path + (folder ? ": it is a folder" : ": it is not a regular file (a device, pipe or socket)"));
    }
    try {
        std::vector<std::uint8_t> bytes = ReadDescriptor(descriptor, path);
        close(descriptor);
        return bytes;
    } catch (...) {
        close(descriptor);
        throw;
    }
}

bool IsSameFile(const std::string& first, const std::string& second) {
    struct stat a {}, b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::vector<std::uint8_t> ReadStandardInput() { return ReadDescriptor(STDIN_FILENO, "standard input"); }

void WriteStandardOutput(std::string_view bytes) {
    WriteAll(STDOUT_FILENO, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "standard output");
}

struct StagedFile::State {
    explicit State(TargetPlace found) : place(std::move(found)), staged(place) {}
    TargetPlace place;  // declared first: the staged file works in its folder
    StagedDescriptor staged;
};

StagedFile::StagedFile(const std::string& target, const std::string& permissionsFrom) {
    TargetPlace place = FindTargetPlace(target);
    struct stat status = ReplaceableFile(place);
    const bool exists = status.st_mode != 0;
    // An exported text is private to the user who exports it, whoever owned
    // the file it replaces; a program file keeps its access and owner.
    const bool privateFile = permissionsFrom.empty();
    mode_t mode = S_IRUSR | S_IWUSR;
    if (!privateFile && (exists || stat(permissionsFrom.c_str(), &status) == 0)) mode = status.st_mode & 07777;

    m_state = std::make_unique<State>(std::move(place));
    const StagedDescriptor& staged = m_state->staged;
    // A program file rewritten for someone else (by root) stays theirs.
    if (!privateFile && exists && (status.st_uid != geteuid() || status.st_gid != getegid()) &&
        fchown(staged.descriptor(), status.st_uid, status.st_gid) != 0)
        throw FileError(Reason("cannot give the new " + m_state->place.Shown() + " the old one's owner", errno));
    if (fchmod(staged.descriptor(), mode) != 0) throw FileError(Reason("cannot set the permissions of " + staged.name(), errno));
}

StagedFile::~StagedFile() = default;

void StagedFile::Write(const std::vector<std::uint8_t>& bytes) {
    const StagedDescriptor& staged = m_state->staged;
    WriteAll(staged.descriptor(), bytes.data(), bytes.size(), staged.name());
}

void StagedFile::Flush() {
    const StagedDescriptor& staged = m_state->staged;
    if (fsync(staged.descriptor()) != 0) throw FileError(Reason("cannot write " + staged.name(), errno));
}

std::vector<std::uint8_t> StagedFile::ReadBack() {
    const StagedDescriptor& staged = m_state->staged;
    if (lseek(staged.descriptor(), 0, SEEK_SET) != 0) throw FileError(Reason("cannot read back " + staged.name(), errno));
    return ReadDescriptor(staged.descriptor(), staged.name());
}

void StagedFile::PlaceOverTarget() {
    m_state->staged.PlaceAt();
    // The rename itself reaches the disk with the folder.
    fsync(m_state->place.folder.get());
}
