#pragma once

#include <QObject>

class QHeaderView;

// Watches the header of a three-column list while the mouse moves over it (a
// column being widened, say) and repaints the list's parent whenever the
// columns stop or start fitting into the list, so the space right of the last
// column never keeps stale paint.
class HeaderWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit HeaderWatcher(QHeaderView *header);
    Q_DISABLE_COPY_MOVE(HeaderWatcher)

    bool fits() const { return m_fits; }

signals:
    void fitChanged(bool fits);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void checkFit();

    QHeaderView *m_header;
    bool m_fits = true;
};
