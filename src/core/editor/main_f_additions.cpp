// The members of TForm1 beyond the described ones: the edit history, dropped files, a change of
// the number notation and the question before the window closes; and the save dialogs' rule for
// the typed extension.

#include <algorithm>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "main_f.h"
#include "number_text.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

std::size_t FilterIndexForName(std::u16string_view Filter, const std::filesystem::path& FileName,
                               std::size_t Chosen) {
    const std::u16string extension = PathToUtf16(FileName.extension());
    // "Name|pattern;pattern|Name|pattern...": entry k's patterns are part 2k + 1.
    const auto matches = [&extension](std::u16string_view patterns) {
        while (!patterns.empty()) {
            const std::size_t end = std::min(patterns.find(u';'), patterns.size());
            std::u16string pattern(patterns.substr(0, end));
            patterns.remove_prefix(std::min(end + 1, patterns.size()));
            if (pattern.size() < 3 || !pattern.starts_with(u"*.") || pattern == u"*.*") {
                continue;
            }
            for (char16_t& c : pattern) {
                c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
            }
            if (EqualsIgnoringAsciiCase(std::u16string_view(extension),
                                        std::u16string_view(pattern).substr(1))) {
                return true;
            }
        }
        return false;
    };
    std::vector<std::u16string_view> entries;
    for (std::size_t part = 0, begin = 0; begin <= Filter.size(); ++part) {
        const std::size_t end = std::min(Filter.find(u'|', begin), Filter.size());
        if (part % 2 == 1) {
            entries.push_back(Filter.substr(begin, end - begin));
        }
        begin = end + 1;
    }
    if (extension.empty() || (Chosen < entries.size() && matches(entries[Chosen]))) {
        return Chosen;
    }
    for (std::size_t entry = 0; entry < entries.size(); ++entry) {
        if (matches(entries[entry])) {
            return entry;
        }
    }
    return Chosen;
}

// The chart's own steps put back their points and links; after any other step the points have
// no rows until shown again.
void TForm1::Undo() {
    PointSteps.EndMove();
    if (history_.CanUndo()) {
        const std::u16string caption = history_.UndoText();
        Run([this] { history_.Undo(); });
        const bool undone = history_.RedoText() == caption;
        if (!undone || !PointSteps.Undone(caption)) {
            ChartRows.Forget();
        }
    }
}

void TForm1::Redo() {
    PointSteps.EndMove();
    if (history_.CanRedo()) {
        const std::u16string caption = history_.RedoText();
        Run([this] { history_.Redo(); });
        const bool redone = history_.UndoText() == caption;
        if (!redone || !PointSteps.Redone(caption)) {
            ChartRows.Forget();
        }
    }
}

bool TForm1::CanUndo() const {
    return history_.CanUndo();
}

bool TForm1::CanRedo() const {
    return history_.CanRedo();
}

std::u16string TForm1::UndoText() const {
    return history_.UndoText();
}

std::u16string TForm1::RedoText() const {
    return history_.RedoText();
}

void TForm1::DropFiles(const std::vector<std::filesystem::path>& Files) {
    if (Files.empty()) {
        return;
    }
    const std::filesystem::path& file = Files.front();
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        return;
    }
    if (IsProfileFileName(file)) {
        OpenProfileFile(file);
    } else {
        ImportAsciiFile(file);
    }
}

void TForm1::NotationChanged(char16_t OldSeparator) {
    const char16_t separator = UserNotation.DecimalSeparator;
    if (separator == OldSeparator) {
        return;
    }
    history_.ChangeNotation(1, 2, OldSeparator, separator, [&] {
        TGridUpdateScope update(StringGrid1);
        StringGrid1.ChangeNotation(1, 2, OldSeparator, separator);
    });
}

bool TForm1::FormCloseQuery() {
    PointSteps.EndMove();
    if (!history_.IsModified()) {
        return true;
    }
    switch (Desktop.MessageDlg(TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNoCancel,
                               u"Save changes to the sound profile?")) {
    case TModalResult::mrNo:
        return true;
    case TModalResult::mrYes:
        Execute(&TForm1::acSaveProfileExecute);
        return !history_.IsModified();
    default:
        return false;
    }
}
