#include "ui/ProgressBar.h"

namespace ui {

ProgressBar::ProgressBar(Component* owner, std::string name, Control* parent)
    : Control(owner, std::move(name), parent) {
    PublishOther("Max");
    PublishOther("Position");
}

void ProgressBar::SetMax(int max) {
    m_max = max;
    Changed(Aspect::Progress);
}

void ProgressBar::SetPosition(int position) {
    m_position = position;
    Changed(Aspect::Progress);
}

} // namespace ui
