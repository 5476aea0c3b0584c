#pragma once

#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

// A multi-line text box; the wizard uses it read-only, with a vertical
// scroll bar, for its progress log.
class Memo : public Control {
public:
    Memo(Component* owner, std::string name, Control* parent);
    Kind GetKind() const override { return Kind::Memo; }

    const std::vector<std::string>& Lines() const { return m_lines; }
    void AddLine(const std::string& line);
    void ClearLines();

    // All lines, each ended by CR LF except the last, as one text; setting
    // it splits the text at CR LF, LF or CR.
    std::string Text() const;
    void SetText(const std::string& text);

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

private:
    std::vector<std::string> m_lines;
    bool m_readOnly = false;
};

} // namespace ui
