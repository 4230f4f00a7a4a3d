// The program's application object.
#pragma once

#include "framework/appcore.h"
#include "framework/wincore.h"

// The window shown until the editor exists: closing it ends the program.
class CPlaceholderWindow : public Casement::CWnd {
protected:
    void AdjustCreateParams(CREATESTRUCTA& cs) override;
    void HandleDestroy() override;
};

class CTextApp : public Casement::CWinApp {
public:
    BOOL InitInstance() override;

    int m_isNewDocument;

private:
    CPlaceholderWindow m_frame;
};
