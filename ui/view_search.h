// Find and replace in the text view: the one find or replace dialog, the
// term and options last used, and what a search or a replacement does to
// the view's selection, text and modified flag.
#pragma once

#include <functional>
#include <string>

#include "crypto/wipe.h"
#include "framework/commondlg.h"
#include "framework/richedit.h"
#include "ui/text_search.h"

class CViewSearch {
public:
    // showStatus puts a line into the frame's status bar; an empty one
    // brings back the bar's idle text.
    CViewSearch(Casement::CRichEdit& view, std::function<void(const std::string&)> showStatus);
    CViewSearch(const CViewSearch&) = delete;
    CViewSearch& operator=(const CViewSearch&) = delete;

    // Opens the find (findOnly) or the replace dialog over owner, or brings
    // the open one to the front; a selection within one line becomes the
    // search text. Another kind of dialog still open is closed first.
    void OpenDialog(HWND owner, bool findOnly);
    // The last term again, downwards or upwards; the find dialog opens when
    // nothing has been searched for yet.
    void FindAgain(HWND owner, bool down);
    // A request of the dialog: find next, replace, replace all.
    void HandleRequest(const Casement::CFindReplaceDialog& dialog);
    // An edit command (undo, cut, copy, paste, delete, select all) while a
    // field of the dialog has the keyboard focus acts on that field, as the
    // frame's accelerators would otherwise send it to the view. FALSE when
    // the command is the view's.
    BOOL ForwardEditCommand(UINT id) const;
    // Closes the dialog if it is open and wipes the term and the
    // replacement, which are note text: F3 then needs a term again.
    void Forget();

private:
    // Selects the next match and shows it; false after telling the user
    // there is none.
    bool FindNext(bool down);
    void ReplaceCurrent();
    void ReplaceAll();
    void ReportNotFound() const;
    WipedWideString WideTerm() const;
    SearchOptions OptionsFor(bool down) const;

    Casement::CRichEdit& m_view;
    std::function<void(const std::string&)> m_showStatus;
    Casement::CFindReplaceDialog m_dialog;
    // As the dialog gives them: code page 936 bytes.
    WipedString m_term;
    WipedString m_replacement;
    bool m_matchCase = false;
    bool m_wholeWord = false;
};
