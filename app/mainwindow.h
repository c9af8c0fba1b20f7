#pragma once

#include <QDialog>

#include <memory>

class BookmarkStore;
class Hive;

// Placeholder until the real main window lands: owns the store so that a first
// start writes the default collection.
class MainWindow final : public QDialog
{
    Q_OBJECT

public:
    explicit MainWindow(Hive *hive, QWidget *parent = nullptr);
    ~MainWindow() override;

private:
    std::unique_ptr<BookmarkStore> m_store;
};
