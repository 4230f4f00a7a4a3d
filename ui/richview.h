// The text view: a rich edit control that fills the frame and holds the
// document's plain text.
#pragma once

#include "framework/gdi.h"
#include "framework/richedit.h"

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
