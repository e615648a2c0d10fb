#include "vcl/MessageDialog.h"

#include <QMessageBox>
#include <QShowEvent>

#include "vcl/ActiveMonitor.h"
#include "vcl/ModalScope.h"
#include "vcl/OkBox.h"
#include "vcl/TApplication.h"

namespace {

// A message box lays itself out while it is being shown; it is placed after that, before it is mapped.
class CentredMessageBox : public QMessageBox {
public:
    CentredMessageBox(const QString& caption, const QString& text, QRect monitor)
        : QMessageBox(QMessageBox::NoIcon, caption, text), monitor_(monitor)
    {
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        move(PlaceOnMonitor(monitor_, frameGeometry().size(), 2));
    }

private:
    QRect monitor_;
};

}  // namespace

void ShowMessage(const std::string& text)
{
    ModalScope scope;
    CentredMessageBox box(QString::fromStdString(Application->Title()), QString::fromStdString(text),
                          MonitorGeometryOf(scope.ActiveWindow()));
    ExecOkBox(box, "MessageDialog");
}
