#include "vcl/OkBox.h"

#include <QMessageBox>
#include <QPushButton>

void ExecOkBox(QMessageBox& box, const char* objectName)
{
    box.setObjectName(QLatin1String(objectName));
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}
