// What the editor puts on the clipboard: plain text marked so that Windows'
// clipboard history and cloud clipboard leave it out, and taken off again
// (its memory wiped) while the clipboard still holds that text.
#pragma once

#include <windows.h>

#include "crypto/mbedtls_suite.h"
#include "crypto/wipe.h"

class CNoteClipboard {
public:
    CNoteClipboard();
    ~CNoteClipboard();
    CNoteClipboard(const CNoteClipboard&) = delete;
    CNoteClipboard& operator=(const CNoteClipboard&) = delete;

    // Puts text on the clipboard for owner; false when the clipboard could
    // not be opened or take it.
    bool Put(HWND owner, const WipedWideString& text);
    // Empties the clipboard when its text is still the text Put put there,
    // whatever formats other programs added beside it; a text another
    // program placed there since stays.
    void Forget(HWND owner);

private:
    // The keyed digest of a text in memory; false when it cannot be read.
    bool DigestOf(HANDLE text, unsigned char digest[kSha256Bytes]) const;

    // A key of this run, so that the digest kept says nothing about the text.
    unsigned char m_key[32] = {};
    // The keyed digest of the text Put put there, while it may still be there.
    unsigned char m_digest[kSha256Bytes] = {};
    bool m_holding = false;
};
