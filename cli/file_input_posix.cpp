#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "cli/file_input.h"

int OpenDescriptorForReading(const std::string& utf8Path) {
    return open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC);
}

std::ptrdiff_t ReadFromDescriptor(int descriptor, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t count = read(descriptor, buffer, size);
        if (count >= 0 || errno != EINTR) {
            return count;
        }
    }
}

void CloseDescriptor(int descriptor) {
    close(descriptor);
}

bool IsTerminal(int descriptor) { return isatty(descriptor) == 1; }
