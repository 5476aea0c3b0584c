#include "ui/qt/QtWidgetClasses.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "ui/ComboBox.h"
#include "ui/Form.h"

namespace ui::qt {

void EventDepth::Run(const std::function<void()>& handler) {
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    };
    ++m_depth;
    Leave leave{m_depth};
    handler();
}

QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPixmap LoadPicture(const std::string& name) {
    QPixmap picture;
    if (name.empty()) {
        return picture;
    }
    const QString base = QStringLiteral(":/vg/") + ToQString(name);
    for (const char* suffix : {".bmp", ".png", ""}) {
        if (picture.load(base + QLatin1String(suffix))) {
            break;
        }
    }
    return picture;
}

namespace {

// Every form has a title bar with a close box and no minimise or maximise
// box; the hints are given explicitly because without CustomizeWindowHint
// the window manager adds its own.
Qt::WindowFlags WindowFlagsOf(const Form& form) {
    Qt::WindowFlags flags = form.GetBorderStyle() == BorderStyle::Dialog ? Qt::Dialog : Qt::Window;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    if (form.StayOnTop()) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    return flags;
}

} // namespace

FormWindow::FormWindow(Form& form, EventDepth& depth)
    : QWidget(nullptr, WindowFlagsOf(form)), m_form(&form), m_depth(depth) {}

void FormWindow::ApplyStyle() {
    if (m_form == nullptr) {
        return;
    }
    const Qt::WindowFlags flags = WindowFlagsOf(*m_form);
    if (flags == windowFlags()) {
        return;
    }
    // New flags make a new native window, which is hidden and may be put
    // anywhere.
    const bool shown = isVisible();
    const bool moved = testAttribute(Qt::WA_Moved);
    const QPoint place = pos();
    setWindowFlags(flags);
    if (moved) {
        move(place);
    }
    if (shown) {
        show();
    }
}

void FormWindow::closeEvent(QCloseEvent* event) {
    if (m_form != nullptr) {
        m_depth.Run([this] { m_form->CloseByUser(); });
    }
    // The form may have been destroyed by its own close.
    if (m_form == nullptr || m_form->Closed()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (!enter || !plain || m_form == nullptr) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Outside a QDialog a push button ignores Enter; on Windows the focused
    // button takes it.
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    if (focused != nullptr && focused->isVisible() && focused->isEnabled()) {
        focused->click();
    } else {
        m_depth.Run([this] { m_form->EnterPressed(); });
    }
    event->accept();
}

DropDownList::DropDownList(ComboBox& model, EventDepth& depth, QWidget* parent)
    : QComboBox(parent), m_model(&model), m_depth(depth) {
    setEditable(false);
    // A choice on the closed list (arrow keys, typing the start of an
    // entry, the mouse wheel) counts as a close-up, so that what the list
    // shows is what the program uses. Choices in the dropped-down list
    // close up through hidePopup.
    QObject::connect(this, &QComboBox::activated, this, [this] {
        if (!view()->isVisible() && !m_closingUp) {
            CloseUpLater();
        }
    });
}

void DropDownList::hidePopup() {
    // Qt also calls this when the list box itself is hidden; only a list
    // that was dropped down closes up.
    const bool wasDropped = view()->isVisible();
    QComboBox::hidePopup();
    if (wasDropped) {
        CloseUpLater();
    }
}

void DropDownList::CloseUpLater() {
    if (m_model == nullptr) {
        return;
    }
    m_depth.Run([this] { m_model->SetItemIndex(currentIndex()); });
    m_closingUp = true;
    // The handler may show a modal box: it runs once the list has gone.
    QTimer::singleShot(0, this, [this] {
        m_closingUp = false;
        if (m_model != nullptr) {
            m_depth.Run([this] { m_model->CloseUp(); });
        }
    });
}

BevelWidget::BevelWidget(QWidget* parent) : QFrame(parent) {
    SetShape(Bevel::Shape::Frame);
}

void BevelWidget::SetShape(Bevel::Shape shape) {
    m_shape = shape;
    setFrameStyle(shape == Bevel::Shape::Frame ? (QFrame::Box | QFrame::Sunken) : QFrame::NoFrame);
    update();
}

void BevelWidget::paintEvent(QPaintEvent* event) {
    if (m_shape == Bevel::Shape::Frame) {
        QFrame::paintEvent(event);
        return;
    }
    // An etched line is a dark line over a light one, two pixels in all.
    QPainter painter(this);
    const int y = m_shape == Bevel::Shape::BottomLine ? height() - 2 : 0;
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, y, width() - 1, y);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, y + 1, width() - 1, y + 1);
}

PanelWidget::PanelWidget(QWidget* parent) : QFrame(parent) {}

void PanelWidget::SetCaption(const QString& caption) {
    m_caption = caption;
    update();
}

void PanelWidget::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!m_caption.isEmpty()) {
        QPainter painter(this);
        painter.drawText(contentsRect(), Qt::AlignCenter, m_caption);
    }
}

} // namespace ui::qt
