#pragma once

#include <QDialog>

class LinkLabel;

// Greets the user once, on the very first start.
class WelcomeDialog final : public QDialog
{
    Q_OBJECT

public:
    static constexpr int TitlePointSize = 16;

    explicit WelcomeDialog(QWidget *parent = nullptr);
    ~WelcomeDialog() override;
    Q_DISABLE_COPY_MOVE(WelcomeDialog)

    LinkLabel *title() const { return m_title; }

private:
    LinkLabel *m_title;
};
