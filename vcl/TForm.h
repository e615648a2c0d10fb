#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "vcl/Exceptions.h"
#include "vcl/TObject.h"

class QStyle;

// A top-level window built from a stored description. Its outer size and position are those of the whole
// window, frame and caption included; the user cannot resize it, but the program can. It has only a close
// box, draws its controls in the classic Windows look, and never scrolls: anything beyond the client area is
// cut off.
class TForm : public QWidget {
public:
    TForm();
    ~TForm() override;

    std::string Caption() const { return windowTitle().toStdString(); }
    void SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

    int Left() const { return frameGeometry().x(); }
    int Top() const { return frameGeometry().y(); }
    void SetLeft(int left) { move(left, Top()); }
    void SetTop(int top) { move(Left(), top); }

    // The outer size. Values the window system cannot take are held within what it can: at least one client
    // pixel, at most the virtual desktop.
    int Width() const { return frameGeometry().width(); }
    int Height() const { return frameGeometry().height(); }
    void SetWidth(int width);
    void SetHeight(int height);

    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }
    void SetClientWidth(int width);
    void SetClientHeight(int height);

    QColor Color() const;
    void SetColor(const QColor& colour);

    // Paints the whole window now, before returning.
    void Repaint();

    // Gives a control of this form the form's look (the form's own classic style object).
    void AdoptControl(QWidget* control);

    // Tab and Shift+Tab (and the arrow keys on a button) cycle through the controls in this order.
    void SetTabOrder(QWidget* control, int order);

    // The description binds its components to the fields of the same name, and events to the handlers of the
    // given name. A form class overrides these with its own table; names it does not know are left unbound.
    virtual void BindComponent(const std::string& name, TObject* component);
    virtual TNotifyEvent FindMethod(const std::string& name);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

    template <class T>
    static void BindField(T*& field, TObject* component)
    {
        field = dynamic_cast<T*>(component);
        if (!field)
            throw Exception("Component " + component->objectName().toStdString() + " is not of its field's class");
    }

private:
    std::vector<QWidget*> TabStops() const;
    void FocusFirstControl();

    QStyle* style_;
    std::vector<std::pair<int, QPointer<QWidget>>> tabOrder_;
};
