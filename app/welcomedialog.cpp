#include "app/welcomedialog.h"

WelcomeDialog::WelcomeDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Harbrow"));
}
