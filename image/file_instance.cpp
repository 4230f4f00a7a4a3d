#include "image/file_instance.h"

#include <windows.h>

#include <map>
#include <optional>
#include <utility>

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

// The instances this process holds, by name; the system lets them go when
// it ends.
std::map<std::wstring, Casement::CHandle>& HeldInstances() {
    static std::map<std::wstring, Casement::CHandle> held;
    return held;
}

}  // namespace

bool HoldFileInstance(const std::wstring& path) {
    const std::wstring name = InstanceName(path);
    Casement::CHandle mutex(CreateMutexW(nullptr, FALSE, name.c_str()));
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return false;
    if (mutex.IsValid())
        HeldInstances()[name] = std::move(mutex);
    return true;
}

void ReleaseFileInstance(const std::wstring& path) { HeldInstances().erase(InstanceName(path)); }
