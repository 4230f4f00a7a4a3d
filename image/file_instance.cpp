#include "image/file_instance.h"

#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

#include "crypto/mbedtls_suite.h"
#include "framework/unique_handle.h"
#include "image/file_facts.h"
#include "image/paths.h"

namespace {

// What tells one file from every other on the machine: the serial number
// of its volume and its index there, the same whichever path opened it.
// False when the file cannot be opened or the system gives no identity.
bool ReadFileIdentity(const std::wstring& path, unsigned char identity[12]) {
    const std::optional<ReachedFile> file = FileReachedBy(path);
    if (!file)
        return false;
    const unsigned long long parts[3] = {file->volume, file->index >> 32, file->index & 0xFFFFFFFFu};
    for (int part = 0; part < 3; ++part)
        for (int byte = 0; byte < 4; ++byte)
            identity[4 * part + byte] = static_cast<unsigned char>(parts[part] >> (8 * byte));
    return true;
}

// A digest of the file's identity, which keeps the name within the length
// and the characters a mutex name may have. Where no identity can be had,
// the name falls back to a digest of the canonical path, which still meets
// every spelling that differs only in case, short names, "." and ".." or
// separators; the two kinds are named apart so they never meet by chance.
std::wstring InstanceName(const std::wstring& path) {
    unsigned char identity[12] = {};
    unsigned char digest[kSha256Bytes];
    std::wstring name;
    if (ReadFileIdentity(path, identity)) {
        Sha256(identity, sizeof identity, digest);
        name = L"Scribecrypt.file.";
    } else {
        const std::wstring canonical = CanonicalPath(path);
        Sha256(reinterpret_cast<const unsigned char*>(canonical.data()), canonical.size() * sizeof(wchar_t), digest);
        name = L"Scribecrypt.path.";
    }
    for (const unsigned char byte : digest) {
        name += L"0123456789abcdef"[byte >> 4];
        name += L"0123456789abcdef"[byte & 15];
    }
    return name;
}

// The instances this process holds; the system lets them go when it ends.
std::vector<Casement::CHandle>& HeldInstances() {
    static std::vector<Casement::CHandle> held;
    return held;
}

}  // namespace

bool HoldFileInstance(const std::wstring& path) {
    Casement::CHandle mutex(CreateMutexW(nullptr, FALSE, InstanceName(path).c_str()));
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return false;
    if (mutex.IsValid())
        HeldInstances().push_back(std::move(mutex));
    return true;
}
