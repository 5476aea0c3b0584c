#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

// A drop-down list: the user picks one of its entries; the edit part shows
// the picked entry and cannot be typed into.
class ComboBox : public Control {
public:
    ComboBox(Component* owner, std::string name, Control* parent);
    Kind GetKind() const override { return Kind::ComboBox; }

    const std::vector<std::string>& Items() const { return m_items; }
    // Appends an entry and returns its position.
    int AddItem(const std::string& text);
    void ClearItems();

    // Position of the selected entry, -1 while none is selected.
    int ItemIndex() const { return m_itemIndex; }
    void SetItemIndex(int index);

    // The text of the edit part: the selected entry's text, "" with none.
    // Setting it selects the first entry with exactly that text, if any.
    std::string Text() const;
    void SetText(const std::string& text);

    // Rows shown when the list drops down.
    int DropDownCount() const { return m_dropDownCount; }
    void SetDropDownCount(int rows);

    // Runs each time the dropped-down list closes, also when the selection
    // did not change, and each time the user chooses on the closed list
    // (arrow keys, typing the start of an entry, the mouse wheel): the
    // backends treat such a choice as a close-up.
    std::function<void()> OnCloseUp;

    // What the user does: drops the list down, picks the entry at `index`
    // (-1 picks nothing) and lets the list close.
    void Choose(int index);
    // Backend: the dropped-down list closed; runs OnCloseUp.
    void CloseUp();

private:
    std::vector<std::string> m_items;
    int m_itemIndex = -1;
    int m_dropDownCount = 8;
};

} // namespace ui
