#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QPalette>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "ui/Control.h"

namespace ui::qt {

// The Qt side of one control: owns nothing but the tie between the control
// and its widget, and mirrors every change of the control on the widget.
class QtControlPeer : public ControlPeer {
public:
    QtControlPeer(Control& control, QWidget* widget);
    ~QtControlPeer() override;

    void Update(Aspect aspect) override;

    // Applies every aspect except the placement, as after creation.
    void ApplyAll();

    // Places the controls on this one: aligned ones stacked by their
    // alignment in the order they were added (Top ones from the top, Bottom
    // ones from the bottom, Client ones in what is left), hidden aligned ones
    // taking no room; the others at their own bounds.
    void ArrangeChildren();

    // Sets the keyboard focus chain of the form's window: the controls of
    // each parent in ascending TabOrder, those without one after them.
    static void ApplyTabOrder(Control& form);

    static QtControlPeer* Of(const Control& control);

    Control& Model() const { return m_control; }
    QWidget* Widget() const { return m_widget.data(); }
    // Connections made for the control end with the peer.
    QObject* Context() { return &m_context; }

private:
    QSize ClientSize() const;
    void Place(const QRect& rect);
    void ApplyBounds();
    void ApplyVisible();
    void ApplyCaption();
    void ApplyFont();
    void ApplyColor();
    void ApplyItems();
    void ApplyItemIndex();
    void ApplyLines();
    void ApplyPageIndex();
    void ApplyProgress();
    void ApplyStyle();
    void ShowWindow();

    Control& m_control;
    QPointer<QWidget> m_widget;
    QObject m_context;
    // The roles this control sets itself; the others come from its parent.
    QPalette m_palette;
    // Where the widget was last put; none before the first placement.
    std::optional<QRect> m_rect;
    // The form position last given to the window, so that only a new one
    // moves a window the user may have dragged.
    std::optional<QPoint> m_windowPosition;
    std::vector<std::string> m_shownLines;
};

} // namespace ui::qt
