#pragma once
// A line of text shown by a viewer (the name field, the file label).

#include <string>

#include "listeners.h"

// The viewer that types into it calls SetText at every change; OnChange tells the viewer about
// every change of the text, its own included, so it compares before it writes back.
class TTextField {
public:
    const std::u16string& Text() const { return text_; }
    // OnChange is called only when the text really changes.
    void SetText(std::u16string Text);
    // Must neither change the field nor throw.
    std::function<void()> OnChange;
    // Every change too, with the text it replaced; a copy of the field starts without listeners.
    TListeners<std::u16string> Edits;

private:
    std::u16string text_;
};
