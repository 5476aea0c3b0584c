#pragma once

#include <functional>
#include <string>

#include <QComboBox>
#include <QFrame>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "ui/Bevel.h"

namespace ui {

class ComboBox;
class Form;

namespace qt {

// Counts the user events being handed to the model right now, so that a
// window is never deleted under its own event handler.
class EventDepth {
public:
    // Runs `handler` as the model's answer to a user event.
    void Run(const std::function<void()>& handler);
    bool Inside() const { return m_depth > 0; }

private:
    int m_depth = 0;
};

// The picture stored under `name` in the program's resources: ":/vg/<name>"
// with ".bmp", then ".png", then as given. A null pixmap when there is none.
QPixmap LoadPicture(const std::string& name);

QString ToQString(const std::string& text);

// The window of a form. A close by the user asks the model, which decides
// whether the window goes away. Enter that no control on the window takes
// presses the focused push button, else the form's default button, as in a
// Windows dialog.
class FormWindow : public QWidget {
public:
    FormWindow(Form& form, EventDepth& depth);
    // Cuts the tie to the model; closes are accepted from then on.
    void Detach() { m_form = nullptr; }
    // Sets the window flags for the form's border style and stay-on-top
    // state; a shown window stays shown, a moved one where it was.
    void ApplyStyle();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Form* m_form;
    EventDepth& m_depth;
};

// A drop-down list that cannot be typed into and tells the model each time
// its dropped-down list closes.
class DropDownList : public QComboBox {
public:
    DropDownList(ComboBox& model, EventDepth& depth, QWidget* parent);
    void Detach() { m_model = nullptr; }
    void hidePopup() override;

private:
    // The list closed, or the user chose on the closed list: the model
    // takes the choice and closes up once the current event is done (its
    // handler may show a modal box).
    void CloseUpLater();

    ComboBox* m_model;
    EventDepth& m_depth;
    // A close-up is on its way; a choice reported meanwhile belongs to it.
    bool m_closingUp = false;
};

// An etched line along the top or bottom edge, or an etched box.
class BevelWidget : public QFrame {
public:
    explicit BevelWidget(QWidget* parent);
    void SetShape(Bevel::Shape shape);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Bevel::Shape m_shape = Bevel::Shape::Frame;
};

// A plain container that shows its caption centred.
class PanelWidget : public QFrame {
public:
    explicit PanelWidget(QWidget* parent);
    void SetCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
};

} // namespace qt
} // namespace ui
