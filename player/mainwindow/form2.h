#pragma once

#include <QWidget>

// A never-shown window that swallows one pop-up.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    explicit Form2(QWidget *parent = nullptr);
};
