#include "ui/qt/QtControlPeer.h"

#include <algorithm>
#include <climits>

#include <QColor>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "ui/Bevel.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Layout.h"
#include "ui/Memo.h"
#include "ui/Notebook.h"
#include "ui/ProgressBar.h"
#include "ui/qt/QtWidgetClasses.h"

namespace ui::qt {

namespace {

QColor ToQColor(Color color) {
    return QColor(static_cast<int>((color >> 16) & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>(color & 0xFF));
}

QFont ToQFont(const Font& font) {
    QFont result;
    QStringList families;
    if (!font.family.empty()) {
        families << ToQString(font.family);
    }
    families << QStringLiteral("DejaVu Sans");
    result.setFamilies(families);
    if (font.pixelHeight > 0) {
        result.setPixelSize(font.pixelHeight);
    }
    result.setBold(font.bold);
    return result;
}

Qt::Alignment ToQAlignment(TextAlign alignment) {
    switch (alignment) {
    case TextAlign::Center:
        return Qt::AlignHCenter | Qt::AlignTop;
    case TextAlign::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case TextAlign::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

// Controls that take the keyboard focus even without a place in the order.
bool KeepsFocus(Control::Kind kind) {
    return kind == Control::Kind::Button || kind == Control::Kind::ComboBox ||
           kind == Control::Kind::Memo;
}

void CollectFocusChain(Control& parent, std::vector<QWidget*>& chain) {
    std::vector<Control*> children = parent.Children();
    std::stable_sort(children.begin(), children.end(), [](const Control* a, const Control* b) {
        const int left = a->TabOrder() < 0 ? INT_MAX : a->TabOrder();
        const int right = b->TabOrder() < 0 ? INT_MAX : b->TabOrder();
        return left < right;
    });
    for (Control* child : children) {
        QtControlPeer* peer = QtControlPeer::Of(*child);
        QWidget* widget = peer != nullptr ? peer->Widget() : nullptr;
        if (widget == nullptr) {
            continue;
        }
        if (child->TabOrder() < 0 && !KeepsFocus(child->GetKind())) {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        if ((widget->focusPolicy() & Qt::TabFocus) != 0) {
            chain.push_back(widget);
        }
        CollectFocusChain(*child, chain);
    }
}

} // namespace

void UpdatePacer::ProcessPendingEvents() {
    m_busy = true;
    if (!m_holding.empty() &&
        (!m_sinceFlush.isValid() || m_sinceFlush.elapsed() >= kInterval)) {
        Flush();
    }
    QCoreApplication::processEvents();
}

void UpdatePacer::Idle() {
    m_busy = false;
    Flush();
}

void UpdatePacer::Flush() {
    m_sinceFlush.start();
    // Applying changes only sets and paints widgets: no peer comes or goes.
    // Texts go first: a bar that moves far enough repaints its window at
    // once, and so paints the new texts with it.
    for (QtControlPeer* peer : m_holding) {
        peer->ApplyHeld(Aspect::Caption);
    }
    for (QtControlPeer* peer : m_holding) {
        peer->ApplyHeld(Aspect::Progress);
    }
    m_holding.clear();
}

void UpdatePacer::Hold(QtControlPeer& peer) {
    m_holding.push_back(&peer);
}

void UpdatePacer::Forget(QtControlPeer& peer) {
    std::erase(m_holding, &peer);
}

QtControlPeer::QtControlPeer(Control& control, QWidget* widget, UpdatePacer& pacer)
    : m_control(control), m_widget(widget), m_pacer(pacer), m_align(control.GetAlign()) {}

QtControlPeer::~QtControlPeer() {
    if (m_captionHeld || m_progressHeld) {
        m_pacer.Forget(*this);
    }
    if (auto* window = dynamic_cast<FormWindow*>(m_widget.data())) {
        window->Detach();
    } else if (auto* list = dynamic_cast<DropDownList*>(m_widget.data())) {
        list->Detach();
    }
}

QtControlPeer* QtControlPeer::Of(const Control& control) {
    return dynamic_cast<QtControlPeer*>(control.Peer());
}

void QtControlPeer::Update(Aspect aspect) {
    if (m_widget == nullptr || (m_pacer.Busy() && Hold(aspect))) {
        return;
    }
    if (aspect == Aspect::Repaint) {
        m_pacer.Flush();
    }
    Apply(aspect);
}

bool QtControlPeer::Hold(Aspect aspect) {
    const bool holding = m_captionHeld || m_progressHeld;
    if (aspect == Aspect::Caption && m_control.GetKind() == Control::Kind::Label) {
        m_captionHeld = true;
    } else if (aspect == Aspect::Progress && m_control.GetKind() == Control::Kind::ProgressBar) {
        m_progressHeld = true;
    } else {
        return false;
    }
    if (!holding) {
        m_pacer.Hold(*this);
    }
    return true;
}

void QtControlPeer::ApplyHeld(Aspect aspect) {
    bool& held = aspect == Aspect::Caption ? m_captionHeld : m_progressHeld;
    if (held && m_widget != nullptr) {
        Apply(aspect);
    }
    held = false;
}

void QtControlPeer::Apply(Aspect aspect) {
    switch (aspect) {
    case Aspect::Bounds:
        ApplyBounds();
        break;
    case Aspect::Visible:
        ApplyVisible();
        break;
    case Aspect::Enabled:
        m_widget->setEnabled(m_control.Enabled());
        break;
    case Aspect::Caption:
        ApplyCaption();
        break;
    case Aspect::Hint:
        m_widget->setToolTip(ToQString(m_control.Hint()));
        break;
    case Aspect::Font:
        ApplyFont();
        break;
    case Aspect::Color:
        ApplyColor();
        break;
    case Aspect::Items:
        ApplyItems();
        break;
    case Aspect::ItemIndex:
        ApplyItemIndex();
        break;
    case Aspect::Lines:
        ApplyLines();
        break;
    case Aspect::PageIndex:
        ApplyPageIndex();
        break;
    case Aspect::Progress:
        ApplyProgress();
        break;
    case Aspect::Repaint:
        m_widget->repaint();
        break;
    case Aspect::Style:
        ApplyStyle();
        break;
    }
    auto* bevel = dynamic_cast<BevelWidget*>(m_widget.data());
    if (bevel != nullptr && m_control.GetKind() == Control::Kind::Bevel) {
        // The shape has no change notice of its own.
        bevel->SetShape(static_cast<const Bevel&>(m_control).GetShape());
    }
}

void QtControlPeer::ApplyAll() {
    for (Aspect aspect : {Aspect::Visible, Aspect::Enabled, Aspect::Caption, Aspect::Hint,
                          Aspect::Font, Aspect::Color, Aspect::Items, Aspect::ItemIndex,
                          Aspect::Lines, Aspect::PageIndex, Aspect::Progress, Aspect::Style}) {
        Apply(aspect);
    }
}

QSize QtControlPeer::ClientSize() const {
    const Bounds& bounds = m_control.GetBounds();
    switch (m_control.GetKind()) {
    case Control::Kind::Form:
        return {bounds.width, bounds.height};
    case Control::Kind::Page:
        if (m_control.Parent() != nullptr) {
            if (QtControlPeer* notebook = Of(*m_control.Parent())) {
                return notebook->ClientSize();
            }
        }
        return {};
    default:
        return m_rect ? m_rect->size() : QSize(bounds.width, bounds.height);
    }
}

void QtControlPeer::ArrangeChildren() {
    const QSize client = ClientSize();
    for (Control* child : m_control.Children()) {
        // The page holder sizes its pages to itself.
        QtControlPeer* peer = Of(*child);
        if (peer != nullptr && child->GetKind() == Control::Kind::Page) {
            peer->ArrangeChildren();
        }
    }
    for (const auto& [child, place] : ArrangeAligned(m_control, client.width(), client.height())) {
        if (QtControlPeer* peer = Of(*child)) {
            peer->Place({place.left, place.top, place.width, place.height});
        }
    }
}

void QtControlPeer::Place(const QRect& rect) {
    if (m_widget == nullptr || (m_rect && *m_rect == rect)) {
        return;
    }
    const bool resized = !m_rect || m_rect->size() != rect.size();
    m_rect = rect;
    m_widget->setGeometry(rect);
    if (resized) {
        ArrangeChildren();
    }
}

void QtControlPeer::ApplyBounds() {
    switch (m_control.GetKind()) {
    case Control::Kind::Form: {
        const QSize client = ClientSize();
        m_widget->setFixedSize(client.expandedTo(QSize(0, 0)));
        if (const auto& position = static_cast<const Form&>(m_control).Position()) {
            // A window's position is that of its frame.
            const QPoint place(position->left, position->top);
            if (m_windowPosition != place) {
                m_windowPosition = place;
                m_widget->move(place);
            }
        }
        ArrangeChildren();
        break;
    }
    case Control::Kind::Page:
        break;
    default: {
        // A control that is not aligned, and was not before, lies at its own
        // bounds and moves none of its siblings.
        QtControlPeer* parent = m_control.Parent() != nullptr ? Of(*m_control.Parent()) : nullptr;
        const bool stacked = m_control.GetAlign() != Align::None || m_align != Align::None;
        m_align = m_control.GetAlign();
        if (parent != nullptr && stacked) {
            parent->ArrangeChildren();
        } else {
            const Bounds& bounds = m_control.GetBounds();
            Place({bounds.left, bounds.top, bounds.width, bounds.height});
        }
        break;
    }
    }
}

void QtControlPeer::ApplyVisible() {
    switch (m_control.GetKind()) {
    case Control::Kind::Form:
        if (m_control.Visible()) {
            ShowWindow();
        } else {
            m_widget->hide();
        }
        break;
    case Control::Kind::Page:
        // The page holder shows its current page only.
        break;
    default:
        m_widget->setVisible(m_control.Visible());
        if (m_control.GetAlign() != Align::None && m_control.Parent() != nullptr) {
            if (QtControlPeer* parent = Of(*m_control.Parent())) {
                parent->ArrangeChildren();
            }
        }
        break;
    }
}

void QtControlPeer::ShowWindow() {
    auto& form = static_cast<Form&>(m_control);
    const QPixmap icon = LoadPicture(form.IconResource());
    if (!icon.isNull()) {
        m_widget->setWindowIcon(QIcon(icon));
    }
    ApplyTabOrder(form);
    if (!m_widget->isVisible() && !form.Position()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            m_widget->move(area.center() - QPoint(m_widget->width() / 2, m_widget->height() / 2));
        }
    }
    m_widget->show();
    m_widget->raise();
    m_widget->activateWindow();
}

void QtControlPeer::ApplyStyle() {
    if (auto* window = dynamic_cast<FormWindow*>(m_widget.data())) {
        window->ApplyStyle();
    } else if (m_control.GetKind() == Control::Kind::Button) {
        static_cast<QPushButton*>(m_widget.data())
            ->setDefault(static_cast<const Button&>(m_control).Default());
    }
}

void QtControlPeer::ApplyTabOrder(Control& form) {
    std::vector<QWidget*> chain;
    CollectFocusChain(form, chain);
    for (std::size_t i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

void QtControlPeer::ApplyCaption() {
    const QString caption = ToQString(m_control.Caption());
    switch (m_control.GetKind()) {
    case Control::Kind::Form:
        m_widget->setWindowTitle(caption);
        break;
    case Control::Kind::Label: {
        const auto& label = static_cast<const Label&>(m_control);
        auto* widget = static_cast<QLabel*>(m_widget.data());
        widget->setText(caption);
        widget->setAlignment(ToQAlignment(label.Alignment()));
        widget->setWordWrap(label.WordWrap());
        break;
    }
    case Control::Kind::Button:
        static_cast<QPushButton*>(m_widget.data())->setText(caption);
        break;
    case Control::Kind::Panel:
        static_cast<PanelWidget*>(m_widget.data())->SetCaption(caption);
        break;
    case Control::Kind::Image:
        static_cast<QLabel*>(m_widget.data())
            ->setPixmap(LoadPicture(static_cast<const Image&>(m_control).PictureResource()));
        break;
    default:
        break;
    }
}

void QtControlPeer::ApplyFont() {
    const std::optional<Font>& font = m_control.OwnFont();
    if (!font) {
        return;
    }
    m_widget->setFont(ToQFont(*font));
    // Disabled text keeps the theme's colour so that it still looks disabled.
    const QColor color = ToQColor(font->color);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        for (QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            m_palette.setColor(group, role, color);
        }
    }
    m_widget->setPalette(m_palette);
}

void QtControlPeer::ApplyColor() {
    const std::optional<Color>& color = m_control.OwnColor();
    const Control::Kind kind = m_control.GetKind();
    // Edit boxes colour their text area; other controls paint their whole
    // rectangle plainly, a transparent label nothing at all.
    const bool editBox = kind == Control::Kind::Memo || kind == Control::Kind::ComboBox;
    if (color) {
        m_palette.setColor(editBox ? QPalette::Base : QPalette::Window, ToQColor(*color));
        m_widget->setPalette(m_palette);
    }
    if (kind == Control::Kind::Label) {
        m_widget->setAutoFillBackground(!static_cast<const Label&>(m_control).Transparent());
    } else if (!editBox && color) {
        m_widget->setAutoFillBackground(true);
    }
}

void QtControlPeer::ApplyItems() {
    auto* list = dynamic_cast<DropDownList*>(m_widget.data());
    if (list == nullptr || m_control.GetKind() != Control::Kind::ComboBox) {
        return;
    }
    const auto& box = static_cast<const ComboBox&>(m_control);
    const QSignalBlocker blocker(list);
    list->clear();
    for (const std::string& item : box.Items()) {
        list->addItem(ToQString(item));
    }
    list->setMaxVisibleItems(std::max(1, box.DropDownCount()));
    list->setCurrentIndex(box.ItemIndex());
}

void QtControlPeer::ApplyItemIndex() {
    auto* list = dynamic_cast<DropDownList*>(m_widget.data());
    if (list != nullptr && m_control.GetKind() == Control::Kind::ComboBox) {
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(static_cast<const ComboBox&>(m_control).ItemIndex());
    }
}

void QtControlPeer::ApplyLines() {
    auto* edit = qobject_cast<QPlainTextEdit*>(m_widget.data());
    if (edit == nullptr || m_control.GetKind() != Control::Kind::Memo) {
        return;
    }
    const std::vector<std::string>& lines = static_cast<const Memo&>(m_control).Lines();
    // A log grows line by line: only new lines at the end are appended.
    const bool grown = !m_shownLines.empty() && lines.size() >= m_shownLines.size() &&
                       std::equal(m_shownLines.begin(), m_shownLines.end(), lines.begin());
    if (grown) {
        for (std::size_t i = m_shownLines.size(); i < lines.size(); ++i) {
            edit->appendPlainText(ToQString(lines[i]));
        }
    } else {
        QString text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                text += QLatin1Char('\n');
            }
            text += ToQString(lines[i]);
        }
        edit->setPlainText(text);
    }
    m_shownLines = lines;
    edit->moveCursor(QTextCursor::End);
    edit->ensureCursorVisible();
}

void QtControlPeer::ApplyPageIndex() {
    auto* stack = qobject_cast<QStackedWidget*>(m_widget.data());
    if (stack == nullptr || m_control.GetKind() != Control::Kind::Notebook) {
        return;
    }
    const int index = static_cast<const Notebook&>(m_control).PageIndex();
    if (index >= 0 && index < stack->count()) {
        stack->setCurrentIndex(index);
    }
}

void QtControlPeer::ApplyProgress() {
    auto* bar = qobject_cast<QProgressBar*>(m_widget.data());
    if (bar == nullptr || m_control.GetKind() != Control::Kind::ProgressBar) {
        return;
    }
    const auto& progress = static_cast<const ProgressBar&>(m_control);
    // A range of 0 to 0 would make Qt's bar a busy indicator; an empty bar
    // is meant.
    const int max = std::max(1, progress.Max());
    bar->setRange(0, max);
    bar->setValue(progress.Max() <= 0 ? 0 : std::clamp(progress.Position(), 0, max));
}

} // namespace ui::qt
