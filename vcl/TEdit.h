#pragma once

#include <QLineEdit>
#include <string>

// A single-line edit box that takes any text of any length. Entering it by keyboard selects its whole text.
class TEdit : public QLineEdit {
public:
    explicit TEdit(QWidget* parent = nullptr);

    std::string Text() const { return text().toStdString(); }
    void SetText(const std::string& text) { setText(QString::fromStdString(text)); }
};
