#include "vcl/TOpenDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QShowEvent>

#include "vcl/ActiveMonitor.h"
#include "vcl/FloatMode.h"
#include "vcl/ModalScope.h"

namespace {

// The dialog lays itself out while it is being shown; it is placed after that, before it is mapped.
class PlacedFileDialog : public QFileDialog {
public:
    explicit PlacedFileDialog(QRect monitor) : monitor_(monitor) {}

protected:
    void showEvent(QShowEvent* event) override
    {
        QFileDialog::showEvent(event);
        move(TOpenDialog::Placement(monitor_, frameGeometry().size()));
    }

private:
    QRect monitor_;
};

}  // namespace

TOpenDialog::TOpenDialog(QObject* owner) : QObject(owner) {}

QPoint TOpenDialog::Placement(const QRect& monitor, const QSize& dialog)
{
    return PlaceOnMonitor(monitor, dialog, 3);
}

bool TOpenDialog::Execute()
{
    const TFloatMode floatMode = SaveFloatMode();
    QString chosen;
    {
        ModalScope scope;
        PlacedFileDialog dialog(MonitorGeometryOf(scope.ActiveWindow()));
        dialog.setObjectName(QStringLiteral("OpenDialog"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::DontResolveSymlinks);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters({});
        if (!fileName_.empty()) {
            const QString previous = QString::fromStdString(fileName_);
            const QFileInfo info(previous);
            if (info.absoluteDir().exists())
                dialog.setDirectory(info.absolutePath());
            if (auto* nameBox = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                nameBox->setText(previous);
        }
        if (dialog.exec() == QDialog::Accepted) {
            const QStringList files = dialog.selectedFiles();
            if (files.size() == 1)
                chosen = QFileInfo(files.first()).absoluteFilePath();
        }
    }
    RestoreFloatMode(floatMode);
    if (chosen.isEmpty())
        return false;
    fileName_ = chosen.toStdString();
    return true;
}
