#include "ui/Notebook.h"

namespace ui {

Page::Page(Component* owner, Control* notebook, std::string caption)
    : Control(owner, std::string(), notebook) {
    PublishCaption();
    SetCaption(caption);
}

Notebook::Notebook(Component* owner, std::string name, Control* parent)
    : Control(owner, std::move(name), parent) {
    PublishOther("PageIndex");
    PublishOther("ActivePage");
}

Page& Notebook::AddPage(const std::string& caption) {
    Page& page = Owner()->Make<Page>(this, caption);
    m_pages.push_back(&page);
    if (m_pageIndex < 0) {
        m_pageIndex = 0;
    }
    return page;
}

void Notebook::SetPageIndex(int index) {
    if (index >= 0 && index < static_cast<int>(m_pages.size()) && index != m_pageIndex) {
        m_pageIndex = index;
        Changed(Aspect::PageIndex);
    }
}

void Notebook::NextPage() {
    SetPageIndex(m_pageIndex + 1);
}

} // namespace ui
