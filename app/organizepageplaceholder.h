#pragma once

#include <QWidget>

// Stands in for the Organize folders page until it is built.
class OrganizePagePlaceholder final : public QWidget
{
    Q_OBJECT

public:
    explicit OrganizePagePlaceholder(QWidget *parent = nullptr);
    ~OrganizePagePlaceholder() override;
    Q_DISABLE_COPY_MOVE(OrganizePagePlaceholder)
};
