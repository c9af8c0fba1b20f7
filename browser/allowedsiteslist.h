#pragma once

#include <QGroupBox>

class Hive;
class QListWidget;
class QPushButton;

// The sites where trackers and ads are let through, as Options lists them; a
// removal is kept at once.
class AllowedSitesList final : public QGroupBox
{
    Q_OBJECT

public:
    explicit AllowedSitesList(Hive *hive, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(AllowedSitesList)

    QListWidget *list() const { return m_list; }
    QPushButton *removeButton() const { return m_remove; }

public slots:
    void removeSelected();

private:
    void fill();

    Hive *m_hive;
    QListWidget *m_list;
    QPushButton *m_remove;
};
