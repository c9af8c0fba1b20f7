#pragma once

#include <QDialog>

// Help > About: the version and where to find the latest one.
class AboutDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;
    Q_DISABLE_COPY_MOVE(AboutDialog)
};
