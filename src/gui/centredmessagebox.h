#pragma once

#include <QMessageBox>

// A message box centred over its parent's window. QMessageBox places itself
// before its size has settled, and then ends up off centre; this one
// centres itself again whenever its size changes.
class CentredMessageBox : public QMessageBox
{
    Q_OBJECT
public:
    using QMessageBox::QMessageBox;

protected:
    void resizeEvent(QResizeEvent* event) override;
};
