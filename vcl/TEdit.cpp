#include "vcl/TEdit.h"

#include <limits>

TEdit::TEdit(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(std::numeric_limits<int>::max());
    setFocusPolicy(Qt::StrongFocus);
}
