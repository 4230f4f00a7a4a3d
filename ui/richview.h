// The text view: a rich edit control that fills the frame and holds the
// document's plain text.
#pragma once

#include "framework/gdi.h"
#include "framework/richedit.h"

// The most characters the view takes. Wine's control needs some 130 bytes a
// character and crashes when an allocation fails, so a 32-bit program
// refuses a note well before its address space runs out, and says so; a
// 64-bit one has no practical limit. (Wine ignores a limit that is negative
// as an int, such as 0xFFFFFFFF, and keeps its 32,767; the largest positive
// one works everywhere.)
#ifdef _WIN64
constexpr DWORD kViewCharacterLimit = 0x7FFFFFFF;
#else
constexpr DWORD kViewCharacterLimit = 20u << 20;
#endif

// How the view edits and scrolls: several lines, scrolled both ways.
constexpr DWORD kViewEditStyles = WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL;

class CRichView : public Casement::CRichEdit {
public:
    ~CRichView() override = default;
    // Gives the view its default font, Courier New 16, creating it once.
    virtual void ApplyDefaultFont();

protected:
    void AfterCreated() override;
    void AdjustCreateParams(CREATESTRUCTA& cs) override;

private:
    Casement::CFont m_font;
};
