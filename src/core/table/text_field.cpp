#include "text_field.h"

#include <utility>

void TTextField::SetText(std::u16string Text) {
    if (Text == text_) {
        return;
    }
    std::u16string old = std::exchange(text_, std::move(Text));
    if (OnChange) {
        OnChange();
    }
    Edits.Notify(old);
}
