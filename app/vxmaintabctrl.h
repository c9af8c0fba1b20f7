#pragma once

#include "app/vxtabctrl.h"

// The tab control of the main window and of the favourites window.
class VXMainTabCtrl final : public VXTabCtrl
{
    Q_OBJECT

public:
    explicit VXMainTabCtrl(QWidget *parent = nullptr);
    ~VXMainTabCtrl() override;
    Q_DISABLE_COPY_MOVE(VXMainTabCtrl)
};
