#pragma once

#include <QDialog>
#include <QMainWindow>

// Windows the program creates at start-up whose content is not written yet: the month calendar
// and the hints window. They exist, hidden, so that start-up has its final shape.

class TCalendarBrowser : public QMainWindow
{
    Q_OBJECT
public:
    explicit TCalendarBrowser(QWidget* parent = nullptr);
};

class TFhelp : public QDialog
{
    Q_OBJECT
public:
    explicit TFhelp(QWidget* parent = nullptr);
};
