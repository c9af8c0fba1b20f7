#include "app/vxmaintabctrl.h"

VXMainTabCtrl::VXMainTabCtrl(QWidget *parent) : VXTabCtrl(parent) {}

VXMainTabCtrl::~VXMainTabCtrl() = default;
