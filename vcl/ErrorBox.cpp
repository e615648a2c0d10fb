#include "vcl/ErrorBox.h"

#include <QMessageBox>
#include <QPushButton>

#include "vcl/ModalScope.h"
#include "vcl/TApplication.h"

void ShowErrorBox(const std::string& text)
{
    ModalScope scope;
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(Application->Title()),
                    QString::fromStdString(text));
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}
