#include "cli/file_access.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

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

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path of a named staged file, where a signal handler can reach it; one
// file is staged at a time.
struct StagedPath {
    char path[PATH_MAX];
    volatile sig_atomic_t set;
};
StagedPath g_staged;

void RemoveStagedFile() {
    if (g_staged.set) unlink(g_staged.path);
}

// The descriptor of a file that takes the target's place once it is whole.
// Where the file system allows, it has no name until then (O_TMPFILE):
// nothing, not even SIGKILL, can leave a half-written copy (for export, the
// plain text) in the folder. Elsewhere it is a named TEM*.tmp beside the
// target, removed when it is not renamed over the target, also when a
// signal ends the process meanwhile (SIGKILL cannot be caught).
class StagedDescriptor {
public:
    explicit StagedDescriptor(const std::string& target) : m_folder(FolderOf(target)) {
        // Linking an unnamed file goes through /proc/self/fd.
        if (access("/proc/self/fd", X_OK) == 0) {
            m_descriptor = open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
            if (m_descriptor >= 0) return;
        }
        m_path = m_folder + "/TEMXXXXXX.tmp";
        if (m_path.size() >= sizeof g_staged.path) throw FileError("cannot create a file beside " + target + ": the path is too long");
        int error = 0;
        {
            // No signal may come between the file's creation and its handler.
            const EndingSignalsBlocked blocked;
            m_descriptor = mkstemps(&m_path[0], 4);
            error = errno;
            if (m_descriptor >= 0) {
                std::memcpy(g_staged.path, m_path.c_str(), m_path.size() + 1);
                g_staged.set = 1;
                m_signals.emplace(RemoveStagedFile);
            }
        }
        if (m_descriptor < 0) throw FileError(Reason("cannot create a file beside " + target, error));
    }
    ~StagedDescriptor() {
        if (m_descriptor >= 0) close(m_descriptor);
        if (!m_placed && !m_path.empty()) unlink(m_path.c_str());
        g_staged.set = 0;
        m_signals.reset();
    }
    StagedDescriptor(const StagedDescriptor&) = delete;
    StagedDescriptor& operator=(const StagedDescriptor&) = delete;

    // The file for messages.
    std::string name() const { return m_path.empty() ? "a new file in " + m_folder : m_path; }
    int descriptor() const { return m_descriptor; }

    // Puts the file at target's name, replacing what is there.
    void PlaceAt(const std::string& target) {
        if (m_path.empty()) {
            LinkOver(target);
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
            renamed = rename(m_path.c_str(), target.c_str()) == 0;
            error = errno;
            if (renamed) g_staged.set = 0;
        }
        if (!renamed) throw FileError(Reason("cannot replace " + target, error));
        m_placed = true;
    }

private:
    void Close() {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        if (close(descriptor) != 0) throw FileError(Reason("cannot write " + name(), errno));
    }

    // A link cannot replace a file, so the unnamed file is linked under a
    // free TEM*.tmp name and that is renamed over target, with the ending
    // signals held back in between so that no caught signal leaves the name.
    void LinkOver(const std::string& target) {
        const std::string self = "/proc/self/fd/" + std::to_string(m_descriptor);
        const EndingSignalsBlocked blocked;
        int error = EEXIST;
        for (unsigned attempt = 0; attempt < 1000 && error == EEXIST; ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, "/TEM%06X.tmp", (static_cast<unsigned>(getpid()) * 40503u + attempt) & 0xFFFFFFu);
            const std::string linked = m_folder + name;
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, linked.c_str(), AT_SYMLINK_FOLLOW) != 0) {
                error = errno;
                continue;
            }
            if (rename(linked.c_str(), target.c_str()) != 0) {
                error = errno;
                unlink(linked.c_str());
                throw FileError(Reason("cannot replace " + target, error));
            }
            m_placed = true;
            return;
        }
        throw FileError(Reason("cannot replace " + target, error));
    }

    std::string m_folder;
    std::string m_path;  // empty while the file has no name
    int m_descriptor = -1;
    bool m_placed = false;
    std::optional<EndingSignalsCaught> m_signals;
};

// The file a write to target replaces, and what it is now (st_mode 0 when
// there is none yet). A symbolic link is followed to the file it names, so
// that the change reaches every name of the file and the link stays a link.
// Only a regular file is replaced, and only one the user may write and that
// has no other names: the hard links would keep the old note.
std::string ReplaceableTarget(const std::string& target, struct stat& status) {
    if (lstat(target.c_str(), &status) != 0) {
        if (errno != ENOENT) throw FileError(Reason("cannot look at " + target, errno));
        status = {};
        return target;
    }
    std::string file = target;
    if (S_ISLNK(status.st_mode)) {
        char* resolved = realpath(target.c_str(), nullptr);
        if (resolved == nullptr) throw FileError(Reason(target + " is a symbolic link to nothing usable", errno));
        file = resolved;
        free(resolved);
        if (lstat(file.c_str(), &status) != 0) throw FileError(Reason("cannot look at " + file, errno));
    }
    if (!S_ISREG(status.st_mode)) throw NotARegularFile(file);
    if (status.st_nlink > 1) throw HasOtherNames(file, status.st_nlink);
    if ((status.st_mode & 0222) == 0 || access(file.c_str(), W_OK) != 0) throw ReadOnlyForUser(file);
    return file;
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
    explicit State(const std::string& replaced) : file(replaced), staged(replaced) {}
    std::string file;  // the file replaced, a symbolic link followed
    StagedDescriptor staged;
};

StagedFile::StagedFile(const std::string& target, const std::string& permissionsFrom) {
    struct stat status {};
    const std::string file = ReplaceableTarget(target, status);
    const bool exists = status.st_mode != 0;
    // An exported text is private to the user who exports it, whoever owned
    // the file it replaces; a program file keeps its access and owner.
    const bool privateFile = permissionsFrom.empty();
    mode_t mode = S_IRUSR | S_IWUSR;
    if (!privateFile && (exists || stat(permissionsFrom.c_str(), &status) == 0)) mode = status.st_mode & 07777;

    m_state = std::make_unique<State>(file);
    const StagedDescriptor& staged = m_state->staged;
    // A program file rewritten for someone else (by root) stays theirs.
    if (!privateFile && exists && (status.st_uid != geteuid() || status.st_gid != getegid()) &&
        fchown(staged.descriptor(), status.st_uid, status.st_gid) != 0)
        throw FileError(Reason("cannot give the new " + file + " the old one's owner", errno));
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
    m_state->staged.PlaceAt(m_state->file);
    // The rename itself reaches the disk with the folder.
    const int folder = open(FolderOf(m_state->file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
}
