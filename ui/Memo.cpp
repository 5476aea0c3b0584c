#include "ui/Memo.h"

namespace ui {

Memo::Memo(Component* owner, std::string name, Control* parent)
    : Control(owner, std::move(name), parent) {
    PublishText(
        "Text", [this] { return Text(); }, [this](const std::string& v) { SetText(v); });
    PublishOther("Lines");
    PublishOther("ReadOnly");
    PublishOther("ScrollBars");
}

void Memo::AddLine(const std::string& line) {
    m_lines.push_back(line);
    Changed(Aspect::Lines);
}

void Memo::ClearLines() {
    m_lines.clear();
    Changed(Aspect::Lines);
}

std::string Memo::Text() const {
    std::string text;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (i > 0) {
            text += "\r\n";
        }
        text += m_lines[i];
    }
    return text;
}

void Memo::SetText(const std::string& text) {
    m_lines.clear();
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            m_lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        m_lines.push_back(line);
    }
    Changed(Aspect::Lines);
}

} // namespace ui
