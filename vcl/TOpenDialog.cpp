#include "vcl/TOpenDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QShowEvent>
#include <QSignalBlocker>

#include "vcl/ActiveMonitor.h"
#include "vcl/FloatMode.h"
#include "vcl/ModalScope.h"
#include "vcl/NativeFileName.h"

namespace {

// The dialog lays itself out while it is being shown; it is placed after that, before it is mapped.
class PlacedFileDialog : public QFileDialog {
public:
    explicit PlacedFileDialog(QRect monitor) : monitor_(monitor) {}

    const QString& Chosen() const { return chosen_; }

    // The name box decides, as typed: Qt would prefer the list's selection, which can still hold a file that an
    // earlier name chose, or one of another folder. A click in the list writes that file's name into the box, so
    // the box always shows the choice. A folder's name opens that folder instead.
    void accept() override
    {
        auto* nameBox = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QString typed = nameBox ? nameBox->text() : QString();
        if (typed.isEmpty())
            return;
        if (typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/")))
            typed.replace(0, 1, QDir::homePath());
        const QString path = QDir::cleanPath(directory().absoluteFilePath(typed));
        if (QFileInfo(path).isDir()) {
            setDirectory(path);
            nameBox->clear();
            return;
        }
        chosen_ = path;
        QDialog::accept();
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QFileDialog::showEvent(event);
        move(TOpenDialog::Placement(monitor_, frameGeometry().size()));
    }

private:
    QRect monitor_;
    QString chosen_;
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
            if (auto* nameBox = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                nameBox->setText(previous);
                // Qt selects the named file in the list and, the box not having the focus yet, writes the
                // file's bare name back into the box; the box is to show the whole path.
                const QSignalBlocker quiet(nameBox);
                nameBox->setText(previous);
            }
        }
        if (dialog.exec() == QDialog::Accepted)
            chosen = dialog.Chosen();
    }
    RestoreFloatMode(floatMode);
    if (chosen.isEmpty())
        return false;
    fileName_ = NativeFileName(chosen);
    return true;
}
