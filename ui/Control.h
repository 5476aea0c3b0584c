#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Component.h"

namespace ui {

class Application;
class Form;

// What changed on a control, told to its peer in the backend.
enum class Aspect {
    Bounds,
    Visible,
    Enabled,
    Caption,
    Hint,
    Font,
    Color,
    Items,     // drop-down list entries
    ItemIndex, // drop-down list selection
    Lines,     // memo lines
    PageIndex, // page holder's shown page
    Progress,  // progress bar position or maximum
    Repaint,   // paint now, while the window's thread is busy
    Style,     // form border and stay-on-top; a button's default state
};

enum class Align { None, Top, Bottom, Client };
enum class TextAlign { Left, Center, Right };

// RGB colour, 0xRRGGBB.
using Color = std::uint32_t;
inline constexpr Color ColorBlack = 0x000000;
inline constexpr Color ColorWhite = 0xFFFFFF;

// A font. `pixelHeight` is the character height in pixels at 96 dots per
// inch (the backend scales it with the screen).
struct Font {
    std::string family;
    int pixelHeight = 11;
    bool bold = false;
    Color color = ColorBlack;
};

// The backend's side of one control: it draws the control and is told each
// change of its state. Owned by the backend.
class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void Update(Aspect aspect) = 0;
};

// Left, top, width, height in pixels at 96 dots per inch, relative to the
// parent control's client area.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A visual component: placed on a parent control, with bounds, visibility,
// an enabled state, a caption, a hint and an optional font of its own. Every
// change is passed to the peer when the backend has given the control one.
class Control : public Component {
public:
    enum class Kind { Form, Label, Button, Panel, Bevel, Image, Notebook, Page, ComboBox, Memo, ProgressBar };

    Control(Component* owner, std::string name, Control* parent);
    ~Control() override;

    virtual Kind GetKind() const = 0;

    Control* Parent() const { return m_parent; }
    const std::vector<Control*>& Children() const { return m_children; }
    // The form this control lies on (itself for a form).
    Form& OwningForm();

    const Bounds& GetBounds() const { return m_bounds; }
    void SetBounds(int left, int top, int width, int height);
    Align GetAlign() const { return m_align; }
    void SetAlign(Align align);

    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);

    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& caption);
    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& hint);

    // The control's own font; none means the parent's font applies.
    const std::optional<Font>& OwnFont() const { return m_font; }
    void SetFont(const Font& font);
    // The font that applies: the own font or the nearest parent's.
    Font EffectiveFont() const;

    // The background colour; none means the parent's or the theme's.
    const std::optional<Color>& OwnColor() const { return m_color; }
    void SetColor(Color color);

    // Position in the keyboard focus order among the parent's controls;
    // -1 for a control that takes no focus.
    int TabOrder() const { return m_tabOrder; }
    void SetTabOrder(int order) { m_tabOrder = order; }

    // Paints the control now, also while the window's thread is busy.
    void Repaint() { Changed(Aspect::Repaint); }

    // Backend only.
    void AttachPeer(ControlPeer* peer) { m_peer = peer; }
    ControlPeer* Peer() const { return m_peer; }

protected:
    void Changed(Aspect aspect);
    // Runs an event handler under the application's top-level handler.
    void Dispatch(const std::function<void()>& handler);
    // Publishes Caption (and nothing else) as the control's text.
    void PublishCaption();

private:
    Control* m_parent;
    std::vector<Control*> m_children;
    Bounds m_bounds;
    Align m_align = Align::None;
    bool m_visible = true;
    bool m_enabled = true;
    std::string m_caption;
    std::string m_hint;
    std::optional<Font> m_font;
    std::optional<Color> m_color;
    int m_tabOrder = -1;
    ControlPeer* m_peer = nullptr;
};

} // namespace ui
