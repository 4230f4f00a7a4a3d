#include "ui/note_saver.h"

#include "framework/commondlg.h"
#include "image/paths.h"
#include "image/resources.h"
#include "image/save_in_place.h"
#include "image/self_save.h"
#include "ui/note_encoding.h"
#include "ui/text_fit.h"
#include "ui/textfile.h"
#include "ui/uitext.h"
#include "ui/unfit_text_warning.h"

namespace {

// What a save writes: text sealed under key, keeping the versions of the
// note it replaces, or, for an empty text that
// is not to be sealed anyway, no note at all.
enum class EmptyText { RemovesNote, IsSealed };
NoteChange NoteToWrite(std::string_view text, const NoteSession::Key& key, EmptyText empty) {
    const bool removes = text.empty() && empty == EmptyText::RemovesNote;
    return NoteChange{removes ? NoteChange::Kind::Removed : NoteChange::Kind::Sealed, text, key.choice, key.held,
                      NoteSession::StoredKey()};
}

// Why the program file takes no save while it has other names.
constexpr char kOtherNamesReason[] =
    "此文件还有其他名称(硬链接)，其他名称会保留旧的文档和旧的密码，所以本程序不保存到此文件。"
    "请用“另存为”保存，或删除其他名称后再保存。";

// Why a save into the program file failed, in the user's words.
std::wstring InPlaceSaveFailure(InPlaceSave outcome, const std::wstring& displaced) {
    const char* reason = "";
    switch (outcome) {
    case InPlaceSave::Saved:
        break;
    case InPlaceSave::ReadOnly:
        reason = "程序文件是只读的。";
        break;
    case InPlaceSave::NoNewFile:
        reason = "程序所在的文件夹不允许创建新文件，或其路径太长。";
        break;
    case InPlaceSave::NoRoom:
        reason = "磁盘空间不足。";
        break;
    case InPlaceSave::CheckFailed:
        reason = "无法写入程序的副本，或副本未通过写入后的检查。";
        break;
    case InPlaceSave::InUse:
        reason = "另一个程序正在使用程序文件。";
        break;
    case InPlaceSave::OtherNames:
        reason = kOtherNamesReason;
        break;
    case InPlaceSave::Displaced:
        return FromAnsi("无法保存文档。程序文件无法放回原处，它现在位于：\n") + displaced;
    }
    return FromAnsi(std::string("无法保存文档。") + reason + "\n程序文件保持不变。");
}

// The view's text, each paragraph ending "\r", as the note is stored:
// each line ending "\r\n".
WipedWideString WithLineEnds(const WipedWideString& text) {
    WipedWideString lines;
    lines.reserve(text.size() + text.size() / 8);
    for (const wchar_t c : text) {
        lines += c;
        if (c == L'\r')
            lines += L'\n';
    }
    return lines;
}

// The save dialog speaks code page 936: a character it cannot spell comes
// back as "?", which no file name holds. Such a path, or one longer than
// Windows allows, is refused with a message that names it.
bool IsUsablePath(const std::string& path) {
    const char* problem = nullptr;
    if (path.find('?') != std::string::npos)
        problem = "路径中有无法用简体中文编码表示的字符。";
    else if (FromAnsi(path).size() > kLongestPath)
        problem = "路径超过了 Windows 允许的 259 个字符。";
    if (problem == nullptr)
        return true;
    ShowError(("无法保存到“" + path + "”：" + problem).c_str());
    return false;
}

// An emptied note takes its earlier versions with it: true when it keeps
// none, or the user agrees to lose them.
bool MayRemoveVersions(const NoteChange& note) {
    if (note.kind != NoteChange::Kind::Removed)
        return true;
    const std::size_t versions = CountOwnKeptVersions();
    if (versions == 0)
        return true;
    const std::string question = "删除笔记也将删除 " + std::to_string(versions) + " 个旧版本。是否继续?";
    return MessageBoxA(MessageOwner(), question.c_str(), "Scribecrypt", MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL) ==
           IDYES;
}

}  // namespace

PromptOutcome CNoteSaver::PromptForNewPassword(bool whileModified) {
    return RunNewPasswordPrompt(m_newPasswordDialog, m_owner,
                                [this, whileModified] { return !whileModified || m_view.GetModify(); });
}

bool CNoteSaver::EnsureSealable(bool textIsEmpty, bool sealsEmptyText) {
    if ((textIsEmpty && !sealsEmptyText) || NoteSession::CanSeal(NoteSession::CurrentKey()))
        return true;
    return PromptForNewPassword(false) == PromptOutcome::Accepted;
}

std::optional<SecretString> CNoteSaver::TextToSave() {
    // The key comes first: the choice made with it decides the encoding.
    if (!EnsureSealable(GetWindowTextLengthW(m_view) == 0, false))
        return std::nullopt;
    return TextForSaving(m_view, EncodingFor(NoteSession::CurrentKey().cipher));
}

DocumentFacts CNoteSaver::CurrentFacts() const {
    return DocumentFacts{m_view.GetModify() != FALSE, NoteSession::IsNew(), NoteSession::HasPendingChange(),
                         GetWindowTextLengthA(m_view) == 0};
}

CNoteSaver::Decision CNoteSaver::DecideOnUnsavedNote(SaveAnswer save) {
    std::optional<PromptOutcome> password;
    for (;;) {
        switch (NextCloseStep(CurrentFacts(), save, password)) {
        case CloseStep::Close:
            return Decision::DoNotSave;
        case CloseStep::Stay:
            return Decision::Stay;
        case CloseStep::AskToSave:
            save = MessageBoxA(MessageOwner(), "保存文档的更改?", "RiziDuru", MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL) ==
                   IDYES;
            break;
        case CloseStep::AskForPassword:
            password = PromptForNewPassword(true);
            break;
        case CloseStep::Save:
            return Decision::Save;
        }
    }
}

BOOL CNoteSaver::SaveThroughWriteBack() {
    const std::optional<SecretString> text = TextToSave();
    if (!text)
        return FALSE;
    const NoteChange note = NoteToWrite(text->View(), NoteSession::CurrentKey(), EmptyText::RemovesNote);
    if (!MayRemoveVersions(note))
        return FALSE;
    const WriteBackStart started = SaveThroughTemporaryImage(note, m_status.SavingProgress());
    m_status.ShowReady();
    if (started != WriteBackStart::Started) {
        ShowError(started == WriteBackStart::OtherNames ? InPlaceSaveFailure(InPlaceSave::OtherNames, {})
                                                        : FromAnsi("无法保存文档。"));
        // The next close asks again, so No always lets the user leave.
        m_view.SetModify(TRUE);
        return FALSE;
    }
    NoteSession::PendingChangeApplied();
    return TRUE;
}

BOOL CNoteSaver::SaveNow() { return DecideOnUnsavedNote(true) == Decision::Save ? SaveInPlace() : TRUE; }

bool CNoteSaver::SaveForSessionEnd() {
    switch (DecideOnUnsavedNote(std::nullopt)) {
    case Decision::DoNotSave:
        return true;
    case Decision::Stay:
        return false;
    case Decision::Save:
        return SaveInPlace() != FALSE;
    }
    return false;
}

BOOL CNoteSaver::SaveInPlace() {
    const std::optional<SecretString> text = TextToSave();
    if (!text)
        return FALSE;
    const NoteChange note = NoteToWrite(text->View(), NoteSession::CurrentKey(), EmptyText::RemovesNote);
    if (!MayRemoveVersions(note))
        return FALSE;
    std::wstring displaced;
    const InPlaceSave outcome = SaveIntoOwnFile(note, m_status.SavingProgress(), displaced);
    m_status.ShowReady();
    if (outcome != InPlaceSave::Saved) {
        ShowError(InPlaceSaveFailure(outcome, displaced));
        return FALSE;
    }
    m_view.SetModify(FALSE);
    NoteSession::NoteSaved(note);
    return TRUE;
}

bool CNoteSaver::SaveLocked(const WipedWideString& viewText, const NoteSession::Key& key) {
    const WipedWideString text = WithLineEnds(viewText);
    // Characters the note's encoding cannot hold would be lost without a word.
    const TextEncoding encoding = EncodingFor(key.cipher);
    if (FindUnfitCharacters(encoding, text).count != 0)
        return false;
    const SecretString stored = StoredForm(encoding, text);
    const NoteChange note = NoteToWrite(stored.View(), key, EmptyText::RemovesNote);
    // Nobody is asked while the note is locked, so its versions stay.
    if (note.kind == NoteChange::Kind::Removed && CountOwnKeptVersions() != 0)
        return false;
    std::wstring displaced;
    if (SaveIntoOwnFile(note, m_status.SavingProgress(), displaced) != InPlaceSave::Saved)
        return false;
    NoteSession::NoteSaved(note);
    return true;
}

void CNoteSaver::WriteCopy(const std::string& path, const NoteChange& note) {
    const bool saved = SaveCheckedImageAs(FromAnsi(path), note, m_status.SavingProgress());
    m_status.ShowReady();
    if (!saved)
        ShowError("无法保存文档。");
}

BOOL CNoteSaver::SaveAs() {
    Casement::CFileDialog dialog(FALSE, "txt", nullptr, OFN_OVERWRITEPROMPT,
                                 "Exe Files (*.exe)|*.exe|Text Files (*.txt)|*.txt|", m_owner);
    if (dialog.DoModal(m_owner) != IDOK)
        return TRUE;
    const std::string path = dialog.GetPathName();
    if (!IsUsablePath(path))
        return TRUE;
    std::optional<PromptOutcome> password;
    for (;;) {
        switch (NextSaveAsStep(path, CurrentFacts(), password)) {
        case SaveAsStep::WriteText: {
            // A text file keeps what the note keeps.
            const TextEncoding encoding = EncodingFor(NoteSession::CurrentKey().cipher);
            if (const std::optional<SecretString> text = TextForSaving(m_view, encoding))
                WriteTextFile(*text, encoding, FromAnsi(path));
            return TRUE;
        }
        case SaveAsStep::Nothing:
            return TRUE;
        case SaveAsStep::CopyProgramWithoutNote:
            m_view.SetModify(FALSE);
            [[fallthrough]];
        case SaveAsStep::CopyProgram:
            WriteCopy(path, NoteChange());
            return TRUE;
        case SaveAsStep::AskForPassword:
            password = PromptForNewPassword(true);
            break;
        case SaveAsStep::SealIntoCopy:
            if (!EnsureSealable(GetWindowTextLengthW(m_view) == 0, true))
                return TRUE;
            if (const std::optional<SecretString> text =
                    TextForSaving(m_view, EncodingFor(NoteSession::CurrentKey().cipher)))
                WriteCopy(path, NoteToWrite(text->View(), NoteSession::CurrentKey(), EmptyText::IsSealed));
            return TRUE;
        }
    }
}
