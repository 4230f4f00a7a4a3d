#include "image/file_instance.h"

#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

#include "framework/unique_handle.h"
#include "image/file_facts.h"
#include "image/paths.h"

namespace {

// A digest of the file's identity, which keeps the name within the length
// and the characters a mutex name may have. Where no identity can be had,
// the name falls back to a digest of the canonical path, which still meets
// every spelling that differs only in case, short names, "." and ".." or
// separators; the two kinds are named apart so they never meet by chance.
std::wstring InstanceName(const std::wstring& path) {
    if (const std::optional<FileIdentity> identity = ReadFileIdentity(path))
        return L"Scribecrypt.file." + HexDigest(identity->data(), identity->size());
    const std::wstring canonical = CanonicalPath(path);
    return L"Scribecrypt.path." + HexDigest(canonical.data(), canonical.size() * sizeof(wchar_t));
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
