#pragma once

#include <QDialog>

class WelcomeDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit WelcomeDialog(QWidget *parent = nullptr);
};
