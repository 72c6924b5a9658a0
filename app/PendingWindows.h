#pragma once

#include <QDialog>

// The hints window, created at start-up with the other windows while its content is not written
// yet. It exists, hidden, so that start-up has its final shape.
class TFhelp : public QDialog
{
    Q_OBJECT
public:
    explicit TFhelp(QWidget* parent = nullptr);
};
