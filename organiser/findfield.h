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
    // Tab was pressed: the field hands the keyboard to what shows its results.
    void tabPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
};
