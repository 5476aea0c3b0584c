#pragma once

#include <vector>

#include "ui/Control.h"

namespace ui {

// One page of a page holder. Pages have no component names; their caption
// names the page.
class Page : public Control {
public:
    Page(Component* owner, Control* notebook, std::string caption);
    Kind GetKind() const override { return Kind::Page; }
};

// A page holder: shows one of its pages at a time.
class Notebook : public Control {
public:
    Notebook(Component* owner, std::string name, Control* parent);
    Kind GetKind() const override { return Kind::Notebook; }

    // Adds a page at the end; the page is owned by the notebook's owner.
    Page& AddPage(const std::string& caption);
    const std::vector<Page*>& Pages() const { return m_pages; }

    // Index of the shown page, -1 while there is none.
    int PageIndex() const { return m_pageIndex; }
    void SetPageIndex(int index);
    // Shows the page after the current one; stays on the last page.
    void NextPage();

private:
    std::vector<Page*> m_pages;
    int m_pageIndex = -1;
};

} // namespace ui
