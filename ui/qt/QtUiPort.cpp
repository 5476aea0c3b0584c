#include "ui/qt/QtUiPort.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QGuiApplication>
#include <QEventLoop>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>

#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"
#include "ui/qt/QtControlPeer.h"
#include "ui/qt/QtWidgetClasses.h"

namespace ui {

using qt::QtControlPeer;

namespace {

QMessageBox::StandardButton ToStandardButton(MsgResult result) {
    switch (result) {
    case MsgResult::Cancel:
        return QMessageBox::Cancel;
    case MsgResult::Yes:
        return QMessageBox::Yes;
    case MsgResult::No:
        return QMessageBox::No;
    case MsgResult::Ok:
        break;
    }
    return QMessageBox::Ok;
}

Bounds ToBounds(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QMessageBox::Icon ToQIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

struct QtUiPort::Impl {
    struct RealizedForm {
        Form* form;
        QPointer<qt::FormWindow> window;
    };

    // Declared first so that it goes last.
    std::unique_ptr<QApplication> ownedApplication;
    qt::EventDepth depth;
    // Before the peers, so that it outlives them.
    qt::UpdatePacer pacer;
    // Connections made for the port end with it.
    QObject context;
    std::map<const Control*, std::unique_ptr<QtControlPeer>> peers;
    std::vector<RealizedForm> forms;
    // Windows whose deletion waits for control to return to the event loop.
    std::vector<QPointer<QWidget>> retired;
    QEventLoop* loop = nullptr;
    bool terminated = false;

    QWidget* Build(Control& control, QWidget* parent, int pageNumber);
    void ApplyAll(Control& control);
    void Detach(Control& control);
    QWidget* DialogParent() const;
};

QWidget* QtUiPort::Impl::Build(Control& control, QWidget* parent, int pageNumber) {
    QWidget* widget = nullptr;
    switch (control.GetKind()) {
    case Control::Kind::Form:
        widget = new qt::FormWindow(static_cast<Form&>(control), depth);
        break;
    case Control::Kind::Label: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        widget = label;
        break;
    }
    case Control::Kind::Button:
        widget = new QPushButton(parent);
        break;
    case Control::Kind::Panel:
        widget = new qt::PanelWidget(parent);
        break;
    case Control::Kind::Bevel:
        widget = new qt::BevelWidget(parent);
        break;
    case Control::Kind::Image: {
        auto* image = new QLabel(parent);
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = image;
        break;
    }
    case Control::Kind::Notebook:
        widget = new QStackedWidget(parent);
        break;
    case Control::Kind::Page:
        widget = new QWidget(parent);
        if (auto* stack = qobject_cast<QStackedWidget*>(parent)) {
            stack->addWidget(widget);
        }
        break;
    case Control::Kind::ComboBox:
        widget = new qt::DropDownList(static_cast<ComboBox&>(control), depth, parent);
        break;
    case Control::Kind::Memo: {
        auto* memo = new QPlainTextEdit(parent);
        memo->setReadOnly(true);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setTabChangesFocus(true);
        widget = memo;
        break;
    }
    case Control::Kind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        widget = bar;
        break;
    }
    }
    widget->setObjectName(control.GetKind() == Control::Kind::Page
                              ? QStringLiteral("page%1").arg(pageNumber)
                              : qt::ToQString(control.Name()));
    auto& peer = peers[&control];
    peer = std::make_unique<QtControlPeer>(control, widget, pacer);
    control.AttachPeer(peer.get());

    if (control.GetKind() == Control::Kind::Button) {
        auto* model = &static_cast<Button&>(control);
        QObject::connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, peer->Context(),
                         [this, model] { depth.Run([model] { model->Click(); }); });
    } else if (control.GetKind() == Control::Kind::ComboBox) {
        // Keyboard choices while the list is closed change the selection too.
        auto* model = &static_cast<ComboBox&>(control);
        QObject::connect(static_cast<QComboBox*>(widget), &QComboBox::currentIndexChanged,
                         peer->Context(), [this, model](int index) {
                             depth.Run([model, index] { model->SetItemIndex(index); });
                         });
    }

    int pages = 0;
    for (Control* child : control.Children()) {
        const bool page = child->GetKind() == Control::Kind::Page;
        QWidget* childWidget = Build(*child, widget, page ? pages++ : 0);
        // Later controls lie on top of earlier ones.
        if (!page) {
            childWidget->raise();
        }
    }
    return widget;
}

void QtUiPort::Impl::ApplyAll(Control& control) {
    if (QtControlPeer* peer = QtControlPeer::Of(control)) {
        peer->ApplyAll();
    }
    for (Control* child : control.Children()) {
        ApplyAll(*child);
    }
}

void QtUiPort::Impl::Detach(Control& control) {
    for (Control* child : control.Children()) {
        Detach(*child);
    }
    control.AttachPeer(nullptr);
    peers.erase(&control);
}

QWidget* QtUiPort::Impl::DialogParent() const {
    QWidget* active = QApplication::activeWindow();
    for (const RealizedForm& realized : forms) {
        if (realized.window != nullptr && realized.window == active) {
            return active;
        }
    }
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        if (it->window != nullptr && it->window->isVisible()) {
            return it->window;
        }
    }
    return nullptr;
}

QtUiPort::QtUiPort(int& argc, char** argv) : m_impl(std::make_unique<Impl>()) {
    if (QCoreApplication::instance() == nullptr) {
        m_impl->ownedApplication = std::make_unique<QApplication>(argc, argv);
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        throw std::logic_error("The Qt backend needs a QApplication");
    }
    // The model decides when the program ends, not the last window.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &m_impl->context, [impl = m_impl.get()] { impl->pacer.Idle(); });
}

QtUiPort::~QtUiPort() {
    while (!m_impl->forms.empty()) {
        Unrealize(*m_impl->forms.back().form);
    }
    for (const QPointer<QWidget>& window : m_impl->retired) {
        delete window.data();
    }
}

void QtUiPort::Realize(Form& form) {
    if (form.Peer() != nullptr) {
        Unrealize(form);
    }
    auto* window = static_cast<qt::FormWindow*>(m_impl->Build(form, nullptr, 0));
    m_impl->forms.push_back({&form, window});
    form.Peer()->Update(Aspect::Bounds);
    m_impl->ApplyAll(form);
    QtControlPeer::ApplyTabOrder(form);
}

void QtUiPort::Unrealize(Form& form) {
    auto found = std::find_if(
        m_impl->forms.begin(), m_impl->forms.end(),
        [&form](const Impl::RealizedForm& realized) { return realized.form == &form; });
    m_impl->Detach(form);
    if (found == m_impl->forms.end()) {
        return;
    }
    QPointer<qt::FormWindow> window = found->window;
    m_impl->forms.erase(found);
    if (window == nullptr) {
        return;
    }
    window->hide();
    if (m_impl->depth.Inside()) {
        window->deleteLater();
        m_impl->retired.emplace_back(window.data());
    } else {
        delete window.data();
    }
}

MsgResult QtUiPort::ShowMessageBox(const MessageBoxRequest& request) {
    QMessageBox box(m_impl->DialogParent());
    box.setWindowTitle(qt::ToQString(request.caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(qt::ToQString(request.text));
    box.setIcon(ToQIcon(request.icon));
    const int count = ButtonCount(request.buttons);
    MsgResult escape = ButtonAt(request.buttons, count - 1);
    for (int position = 0; position < count; ++position) {
        const MsgResult answer = ButtonAt(request.buttons, position);
        box.addButton(ToStandardButton(answer));
        if (answer == MsgResult::Cancel) {
            escape = answer;
        }
    }
    box.setDefaultButton(ToStandardButton(ButtonAt(request.buttons, request.defaultButton)));
    box.setEscapeButton(box.button(ToStandardButton(escape)));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr) {
        return escape;
    }
    switch (box.standardButton(clicked)) {
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Ok:
        return MsgResult::Ok;
    default:
        return escape;
    }
}

std::optional<std::string> QtUiPort::InputQuery(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& defaultValue) {
    bool accepted = false;
    const QString text =
        QInputDialog::getText(m_impl->DialogParent(), qt::ToQString(caption), qt::ToQString(prompt),
                              QLineEdit::Normal, qt::ToQString(defaultValue), &accepted);
    if (!accepted) {
        return std::nullopt;
    }
    return text.toStdString();
}

void QtUiPort::ProcessPendingEvents() {
    m_impl->pacer.ProcessPendingEvents();
}

void QtUiPort::Run(Form& mainForm) {
    if (m_impl->terminated) {
        return;
    }
    if (mainForm.Peer() == nullptr) {
        Realize(mainForm);
    }
    mainForm.Show();
    if (m_impl->terminated) {
        return;
    }
    QEventLoop loop;
    m_impl->loop = &loop;
    loop.exec();
    m_impl->loop = nullptr;
}

void QtUiPort::SetBusy(bool busy) {
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (QGuiApplication::overrideCursor() != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
}

void QtUiPort::Terminate() {
    m_impl->terminated = true;
    if (m_impl->loop != nullptr) {
        m_impl->loop->exit();
    }
}

Bounds QtUiPort::FrameBounds(const Form& form) const {
    const auto found = std::find_if(m_impl->forms.begin(), m_impl->forms.end(),
                                    [&form](const Impl::RealizedForm& realized) {
                                        return realized.form == &form && realized.window != nullptr;
                                    });
    if (found != m_impl->forms.end()) {
        const QRect frame = found->window->frameGeometry();
        if (frame != found->window->geometry()) {
            return ToBounds(frame);
        }
        // Not framed yet: the window manager will frame it like the other
        // windows of the program, and the frame will lie where the window
        // was moved to.
        for (const Impl::RealizedForm& other : m_impl->forms) {
            if (other.window != nullptr && other.window != found->window) {
                const QRect otherFrame = other.window->frameGeometry();
                const QRect otherClient = other.window->geometry();
                if (otherFrame != otherClient) {
                    const QMargins margins(otherClient.left() - otherFrame.left(),
                                           otherClient.top() - otherFrame.top(),
                                           otherFrame.right() - otherClient.right(),
                                           otherFrame.bottom() - otherClient.bottom());
                    return ToBounds(QRect(frame.topLeft(), frame.size().grownBy(margins)));
                }
            }
        }
        return ToBounds(frame);
    }
    const ScreenPoint position = form.Position().value_or(ScreenPoint{});
    return {position.left, position.top, form.GetBounds().width, form.GetBounds().height};
}

Bounds QtUiPort::WorkArea() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? ToBounds(screen->availableGeometry()) : Bounds{};
}

int QtUiPort::ScrollArrowHeight() const {
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

} // namespace ui
