#include "vcl/ErrorBox.h"

#include <QMessageBox>

#include "vcl/ModalScope.h"
#include "vcl/OkBox.h"
#include "vcl/TApplication.h"

void ShowErrorBox(const std::string& text)
{
    ModalScope scope;
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(Application->Title()),
                    QString::fromStdString(text));
    ExecOkBox(box, "ErrorBox");
}
