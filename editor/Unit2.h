#pragma once

#include <QMainWindow>

// The record editor window "Edycja i druk".
class TForm2 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};
