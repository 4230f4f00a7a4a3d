#include "ui/note_clipboard.h"

#include <cstring>

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

bool CNoteClipboard::Put(HWND owner, const WipedWideString& text) {
    if (!OpenSoon(owner))
        return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    const bool put = memory != nullptr && SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!put && memory != nullptr)
        GlobalFree(memory);
    if (put)
        MarkAsPrivate();
    CloseClipboard();
    m_sequence = put ? GetClipboardSequenceNumber() : 0;
    return put;
}

void CNoteClipboard::Forget(HWND owner) {
    if (m_sequence == 0 || !OpenSoon(owner))
        return;
    if (GetClipboardSequenceNumber() != m_sequence) {
        CloseClipboard();
        m_sequence = 0;
        return;
    }
    // The text lies in memory of this process until the system frees it,
    // which does not clear it.
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (void* bytes = GlobalLock(data)) {
            mbedtls_platform_zeroize(bytes, GlobalSize(data));
            GlobalUnlock(data);
        }
    }
    EmptyClipboard();
    CloseClipboard();
    m_sequence = 0;
}
