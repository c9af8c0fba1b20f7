#include "app/mainwindow.h"

#include "store/bookmarkstore.h"

MainWindow::MainWindow(Hive *hive, QWidget *parent)
    : QDialog(parent), m_store(std::make_unique<BookmarkStore>(hive))
{
    setWindowTitle(tr("Harbrow"));
    setGeometry(10, 10, 700, 510);
}

MainWindow::~MainWindow() = default;
