#include "app/instance.h"

#include <windows.h>

#include <string>

#include "crypto/mbedtls_suite.h"
#include "framework/unique_handle.h"
#include "image/paths.h"

namespace {

// The mutex is named after the file, not after how its path was spelled:
// a digest of its canonical path, which also keeps the name within the
// length and the characters a mutex name may have.
std::wstring InstanceName() {
    const std::wstring path = CanonicalPath(OwnImagePath());
    unsigned char digest[kSha256Bytes];
    Sha256(reinterpret_cast<const unsigned char*>(path.data()), path.size() * sizeof(wchar_t), digest);
    std::wstring name = L"Scribecrypt.";
    for (const unsigned char byte : digest) {
        name += L"0123456789abcdef"[byte >> 4];
        name += L"0123456789abcdef"[byte & 15];
    }
    return name;
}

}  // namespace

bool IsSecondInstance() {
    Casement::CHandle mutex(CreateMutexW(nullptr, FALSE, InstanceName().c_str()));
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    // The first process keeps the mutex until it ends.
    mutex.Detach();
    return false;
}
