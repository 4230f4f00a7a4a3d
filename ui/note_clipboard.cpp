#include "ui/note_clipboard.h"

#include <ntsecapi.h>

#include <cstring>
#include <cwchar>

namespace {

HGLOBAL GlobalCopy(const void* bytes, SIZE_T size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr)
        return nullptr;
    std::memcpy(GlobalLock(memory), bytes, size);
    GlobalUnlock(memory);
    return memory;
}

// Formats by which clipboard managers and Windows' own history are told to
// keep the data out of their records, as password managers mark theirs.
void MarkAsPrivate() {
    const DWORD no = 0;
    if (HGLOBAL marker = GlobalCopy(&no, sizeof no))
        SetClipboardData(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), marker);
    for (const wchar_t* format : {L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"}) {
        if (HGLOBAL value = GlobalCopy(&no, sizeof no))
            SetClipboardData(RegisterClipboardFormatW(format), value);
    }
}

// Another program may hold the clipboard open for a moment, as clipboard
// managers do after each change: a copy is not given up for that.
bool OpenSoon(HWND owner) {
    constexpr int kAttempts = 20;
    constexpr DWORD kIntervalMs = 25;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        Sleep(kIntervalMs);
    }
    return false;
}

}  // namespace

CNoteClipboard::CNoteClipboard() {
    // Without the system's generator the digest is still right, only unkeyed.
    (void)RtlGenRandom(m_key, sizeof m_key);
}

CNoteClipboard::~CNoteClipboard() {
    mbedtls_platform_zeroize(m_key, sizeof m_key);
    mbedtls_platform_zeroize(m_digest, sizeof m_digest);
}

bool CNoteClipboard::DigestOf(HANDLE text, unsigned char digest[kSha256Bytes]) const {
    const void* bytes = GlobalLock(text);
    if (bytes == nullptr)
        return false;
    // The allocation may be larger than the text: it counts up to its end.
    const std::size_t units = wcsnlen(static_cast<const wchar_t*>(bytes), GlobalSize(text) / sizeof(wchar_t));
    HmacSha256(m_key, sizeof m_key, static_cast<const unsigned char*>(bytes), units * sizeof(wchar_t), digest);
    GlobalUnlock(text);
    return true;
}

bool CNoteClipboard::Put(HWND owner, const WipedWideString& text) {
    if (!OpenSoon(owner))
        return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    const bool put =
        memory != nullptr && DigestOf(memory, m_digest) && SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!put && memory != nullptr) {
        if (void* bytes = GlobalLock(memory)) {
            mbedtls_platform_zeroize(bytes, GlobalSize(memory));
            GlobalUnlock(memory);
        }
        GlobalFree(memory);
    }
    if (put)
        MarkAsPrivate();
    CloseClipboard();
    m_holding = put;
    return put;
}

void CNoteClipboard::Forget(HWND owner) {
    if (!m_holding || !OpenSoon(owner))
        return;
    // Another program may have added formats of its own beside the text, as
    // clipboard tools do: the text decides, not who changed the clipboard.
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        unsigned char now[kSha256Bytes];
        if (DigestOf(data, now) && DigestsEqual(now, m_digest, kSha256Bytes)) {
            // The text lies in memory of this process until the system
            // frees it, which does not clear it.
            if (void* bytes = GlobalLock(data)) {
                mbedtls_platform_zeroize(bytes, GlobalSize(data));
                GlobalUnlock(data);
            }
            EmptyClipboard();
        }
        mbedtls_platform_zeroize(now, sizeof now);
    }
    CloseClipboard();
    mbedtls_platform_zeroize(m_digest, sizeof m_digest);
    m_holding = false;
}
