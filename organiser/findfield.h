#pragma once

#include <QLineEdit>

// The field that finds bookmarks as the user types. Escape is its own: it
// gives the field up instead of closing the window around it.
class FindField final : public QLineEdit
{
    Q_OBJECT

public:
    explicit FindField(QWidget *parent = nullptr);

signals:
    void escapePressed();
    void downPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
