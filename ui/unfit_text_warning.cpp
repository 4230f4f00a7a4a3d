#include "ui/unfit_text_warning.h"

#include <cstdio>
#include <string>

#include "crypto/wipe.h"
#include "image/paths.h"
#include "ui/text_fit.h"
#include "ui/uitext.h"

namespace {

// "U+D55C" for one or two UTF-16 units, which help to tell a character that
// shows as nothing, such as a no-break space.
std::string CodePointName(const std::wstring& character) {
    unsigned long point = character[0];
    if (character.size() == 2)
        point = 0x10000 + ((point - 0xD800) << 10) + (character[1] - 0xDC00UL);
    char name[16];
    std::snprintf(name, sizeof name, "U+%04lX", point);
    return name;
}

// The warning names the character that code page 936 cannot hold, so it is
// put together in UTF-16 and shown by MessageBoxW.
std::wstring WarningText(const UnfitCharacters& unfit) {
    const std::string count = std::to_string(unfit.count);
    const std::string line = std::to_string(unfit.line);
    const std::string column = std::to_string(unfit.column);
    return FromAnsi("文档中有 " + count + " 个字符无法用 GBK 编码保存，将被存为“?”。\n" +
                    "第一个是第 " + line + " 行第 " + column + " 列的“") +
           unfit.first + FromAnsi("”(" + CodePointName(unfit.first) + ")。\n\n是否仍要保存?");
}

}  // namespace

std::optional<SecretString> TextForSaving(const Casement::CRichEdit& view, TextEncoding encoding) {
    // Read once and converted here: handing out a large text costs the
    // control more than the rest of a save.
    const WipedWideString text = WideLinesText(view);
    const UnfitCharacters unfit = FindUnfitCharacters(encoding, text);
    if (unfit.count == 0)
        return StoredForm(encoding, text);
    // No is the default: a key pressed by habit keeps the text.
    const int answer = MessageBoxW(MessageOwner(), WarningText(unfit).c_str(), L"Scribecrypt",
                                   MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_SYSTEMMODAL);
    if (answer == IDYES)
        return StoredForm(encoding, text);
    // The control counts a line end as one position, not two.
    const std::size_t start = unfit.firstOffset - (unfit.line - 1);
    SelectAndShow(view, start, start + unfit.first.size());
    view.SetModify(TRUE);
    return std::nullopt;
}
