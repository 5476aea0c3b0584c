#pragma once

#include "ui/Control.h"

namespace ui {

// A horizontal progress bar from 0 to Max.
class ProgressBar : public Control {
public:
    ProgressBar(Component* owner, std::string name, Control* parent);
    Kind GetKind() const override { return Kind::ProgressBar; }
    int Max() const { return m_max; }
    void SetMax(int max);
    int Position() const { return m_position; }
    void SetPosition(int position);

private:
    int m_max = 100;
    int m_position = 0;
};

} // namespace ui
