#include "vcl/TForm.h"

#include <QCloseEvent>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>

#include "vcl/TApplication.h"

namespace {

// Qt unmaps a top-level window of zero width or height, so the client keeps at least one pixel; a window
// larger than the whole desktop is held at the desktop's size, as window systems bound a window's tracking.
int ClampedClient(long long outer, int frame, int largest)
{
    const long long client = outer - frame;
    return static_cast<int>(std::clamp<long long>(client, 1, std::max(largest, 1)));
}

}  // namespace

TForm::TForm() : style_(QStyleFactory::create(QStringLiteral("Windows")))
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    if (style_) {
        style_->setParent(this);
        setStyle(style_);
    }
    setAutoFillBackground(true);
    setFixedSize(width(), height());
}

TForm::~TForm() = default;

void TForm::SetWidth(int width)
{
    const int largest = screen() ? screen()->virtualGeometry().width() : QWIDGETSIZE_MAX;
    setFixedSize(ClampedClient(width, Width() - ClientWidth(), largest), ClientHeight());
}

void TForm::SetHeight(int height)
{
    const int largest = screen() ? screen()->virtualGeometry().height() : QWIDGETSIZE_MAX;
    setFixedSize(ClientWidth(), ClampedClient(height, Height() - ClientHeight(), largest));
}

void TForm::SetClientWidth(int width)
{
    setFixedSize(std::clamp(width, 1, QWIDGETSIZE_MAX), ClientHeight());
}

void TForm::SetClientHeight(int height)
{
    setFixedSize(ClientWidth(), std::clamp(height, 1, QWIDGETSIZE_MAX));
}

QColor TForm::Color() const
{
    return palette().color(QPalette::Window);
}

void TForm::SetColor(const QColor& colour)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colour);
    setPalette(colours);
}

void TForm::Repaint()
{
    repaint();
}

void TForm::AdoptControl(QWidget* control)
{
    if (style_)
        control->setStyle(style_);
}

void TForm::SetTabOrder(QWidget* control, int order)
{
    tabOrder_.emplace_back(order, control);
    std::stable_sort(tabOrder_.begin(), tabOrder_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

void TForm::BindComponent(const std::string&, TObject*) {}

TNotifyEvent TForm::FindMethod(const std::string&)
{
    return {};
}

std::vector<QWidget*> TForm::TabStops() const
{
    std::vector<QWidget*> stops;
    for (const auto& entry : tabOrder_) {
        QWidget* control = entry.second;
        if (control && control->isVisibleTo(this) && control->isEnabled() &&
            (control->focusPolicy() & Qt::TabFocus))
            stops.push_back(control);
    }
    return stops;
}

void TForm::FocusFirstControl()
{
    const std::vector<QWidget*> stops = TabStops();
    if (!stops.empty())
        stops.front()->setFocus(Qt::ActiveWindowFocusReason);
}

bool TForm::focusNextPrevChild(bool next)
{
    const std::vector<QWidget*> stops = TabStops();
    if (stops.empty())
        return false;
    const auto count = static_cast<long>(stops.size());
    const long at = std::find(stops.begin(), stops.end(), focusWidget()) - stops.begin();
    long target;
    if (at == count)
        target = next ? 0 : count - 1;
    else
        target = ((next ? at + 1 : at - 1) % count + count) % count;
    stops[static_cast<std::size_t>(target)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool TForm::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate && !focusWidget())
        FocusFirstControl();
    return handled;
}

void TForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (Application->MainForm() == this)
        Application->Terminate();
}
