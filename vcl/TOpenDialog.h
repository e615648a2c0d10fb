#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <string>

// The open-file dialog: Qt's own dialog rather than the desktop's, so that every setting below holds. No
// filter, every file listed, one file, and a typed name is returned even when neither the file nor its folder
// exists. The name box starts with the last confirmed full path. The floating-point mode is kept across it.
class TOpenDialog : public QObject {
public:
    explicit TOpenDialog(QObject* owner = nullptr);

    // True with the chosen full path in FileName; false when cancelled or when the dialog could not run, and
    // FileName is then unchanged.
    bool Execute();

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }

    // Centred horizontally on the monitor, the top edge a third of the free height below the monitor's top.
    static QPoint Placement(const QRect& monitor, const QSize& dialog);

private:
    std::string fileName_;
};
