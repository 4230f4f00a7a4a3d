#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <climits>

#include "cli/file_input.h"
#include "cli/text_encoding.h"
#include "cli/wide_text.h"

int OpenDescriptorForReading(const std::string& utf8Path) {
    std::wstring widePath;
    try {
        widePath = WideFromUtf8(utf8Path);
    } catch (const EncodingError&) {
        errno = EILSEQ;
        return -1;
    }
    return _wopen(widePath.c_str(), _O_RDONLY | _O_BINARY);
}

std::ptrdiff_t ReadFromDescriptor(int descriptor, char* buffer, std::size_t size) {
    const unsigned int chunk = size > INT_MAX ? INT_MAX : static_cast<unsigned int>(size);
    return _read(descriptor, buffer, chunk);
}

void CloseDescriptor(int descriptor) {
    _close(descriptor);
}

bool IsTerminal(int descriptor) { return _isatty(descriptor) != 0; }
