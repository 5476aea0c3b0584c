#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QObject>
#include <QPalette>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "ui/Control.h"

namespace ui::qt {

class QtControlPeer;

// Paces what a busy window thread shows. The thread is busy from the moment
// it handles pending events through UiPort::ProcessPendingEvents until it
// waits for events again (in the event loop or a modal box). Meanwhile the
// texts of labels and the positions of progress bars are held and handed on
// to their widgets together, at most once per kInterval, just before
// pending events are handled: a thread that reports every small step does
// not spend its time laying out and painting what nobody could follow, and
// the windows still show the latest state within a frame. Everything held
// is handed on before a control is repainted on request and when the thread
// waits again.
class UpdatePacer {
public:
    static constexpr int kInterval = 16; // milliseconds: a frame at 60 Hz

    bool Busy() const { return m_busy; }
    // Handles the pending events of a busy thread.
    void ProcessPendingEvents();
    // The thread is about to wait for events.
    void Idle();
    // Hands every held change on to its widget.
    void Flush();
    // Called by a peer when it first holds a change.
    void Hold(QtControlPeer& peer);
    // Called by a peer that holds changes when it goes away.
    void Forget(QtControlPeer& peer);

private:
    bool m_busy = false;
    // Since the last hand-on; invalid before the first.
    QElapsedTimer m_sinceFlush;
    std::vector<QtControlPeer*> m_holding;
};

// The Qt side of one control: owns nothing but the tie between the control
// and its widget, and mirrors every change of the control on the widget,
// label texts and bar positions paced by `pacer`.
class QtControlPeer : public ControlPeer {
public:
    QtControlPeer(Control& control, QWidget* widget, UpdatePacer& pacer);
    ~QtControlPeer() override;

    void Update(Aspect aspect) override;

    // Applies every aspect except the placement, as after creation.
    void ApplyAll();
    // Applies the change of `aspect` (Caption or Progress) that the pacer
    // held back, if any.
    void ApplyHeld(Aspect aspect);

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
    void Apply(Aspect aspect);
    bool Hold(Aspect aspect);
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
    UpdatePacer& m_pacer;
    bool m_captionHeld = false;
    bool m_progressHeld = false;
    QObject m_context;
    // The roles this control sets itself; the others come from its parent.
    QPalette m_palette;
    // Where the widget was last put; none before the first placement.
    std::optional<QRect> m_rect;
    // The control's alignment when its bounds were last applied.
    Align m_align;
    // The form position last given to the window, so that only a new one
    // moves a window the user may have dragged.
    std::optional<QPoint> m_windowPosition;
    std::vector<std::string> m_shownLines;
};

} // namespace ui::qt
