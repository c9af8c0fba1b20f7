#pragma once

#include <QTabWidget>

// A tab widget that owns one page per tab. Pages sit inside the pane with a
// small inset, every page (hidden ones too) follows a resize, and Enter or
// Escape that no page took stop here instead of closing the dialog around it.
class VXTabCtrl : public QTabWidget
{
    Q_OBJECT

public:
    explicit VXTabCtrl(QWidget *parent = nullptr);
    ~VXTabCtrl() override;
    Q_DISABLE_COPY_MOVE(VXTabCtrl)

    static constexpr int PageInset = 5;

    // Takes ownership of page and adds it as the last tab; with select the new
    // tab comes to the front, otherwise the current tab stays.
    void addPage(QWidget *page, const QString &caption, bool select);
    // The page of the selected tab, or null when no tab is selected.
    QWidget *selectedPage() const;
    // Destroys every page in tab order; each tab goes with its page.
    void destroyPages();

signals:
    // A click on a tab has been handled; index is the tab now selected.
    void tabClicked(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void focusClickedPage();
    void focusKeyboardSelectedPage();
    void fitPages();
};
