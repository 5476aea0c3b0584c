#include "ui/ComboBox.h"

namespace ui {

ComboBox::ComboBox(Component* owner, std::string name, Control* parent)
    : Control(owner, std::move(name), parent) {
    PublishText(
        "Text", [this] { return Text(); }, [this](const std::string& v) { SetText(v); });
    PublishOther("ItemIndex");
    PublishOther("Items");
    PublishOther("DropDownCount");
}

int ComboBox::AddItem(const std::string& text) {
    m_items.push_back(text);
    Changed(Aspect::Items);
    return static_cast<int>(m_items.size()) - 1;
}

void ComboBox::ClearItems() {
    m_items.clear();
    m_itemIndex = -1;
    Changed(Aspect::Items);
}

void ComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(m_items.size())) {
        index = -1;
    }
    if (index != m_itemIndex) {
        m_itemIndex = index;
        Changed(Aspect::ItemIndex);
    }
}

std::string ComboBox::Text() const {
    return m_itemIndex >= 0 ? m_items[static_cast<std::size_t>(m_itemIndex)] : std::string();
}

void ComboBox::SetText(const std::string& text) {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i] == text) {
            SetItemIndex(static_cast<int>(i));
            return;
        }
    }
}

void ComboBox::SetDropDownCount(int rows) {
    m_dropDownCount = rows;
    Changed(Aspect::Items);
}

void ComboBox::Choose(int index) {
    if (Visible() && Enabled()) {
        if (index >= 0) {
            SetItemIndex(index);
        }
        CloseUp();
    }
}

void ComboBox::CloseUp() {
    Dispatch(OnCloseUp);
}

} // namespace ui
