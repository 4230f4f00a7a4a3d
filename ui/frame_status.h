// The frame's status bar as the editor's units use it: a line of text, the
// idle text, and the percentage of a long fill or save.
#pragma once

#include <string>

#include "framework/frame.h"
#include "image/checked_image.h"
#include "ui/view_fill.h"

class CFrameStatus {
public:
    // view is the frame's view, which a progress line leaves unpainted.
    CFrameStatus(Casement::CFrame& frame, const Casement::CWnd& view) : m_frame(frame), m_view(view) {}
    CFrameStatus(const CFrameStatus&) = delete;
    CFrameStatus& operator=(const CFrameStatus&) = delete;

    void Show(const std::string& text) { m_frame.SetStatusText(text.c_str()); }
    // Shows text at once, for a step that keeps the program busy.
    void ShowWorking(const std::string& text) { ShowProgress(text); }
    // The status bar's text while nothing is under way: which protection
    // the note has, once it has a password.
    void ShowReady();
    // The percentage of a long fill of the view.
    FillProgress OpeningProgress();
    // The percentage of a save.
    SaveProgress SavingProgress();

private:
    // Puts text into the status bar and paints the window, all but the view.
    void ShowProgress(const std::string& text);

    Casement::CFrame& m_frame;
    const Casement::CWnd& m_view;
};
