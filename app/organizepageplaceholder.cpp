#include "app/organizepageplaceholder.h"

OrganizePagePlaceholder::OrganizePagePlaceholder(QWidget *parent) : QWidget(parent) {}

OrganizePagePlaceholder::~OrganizePagePlaceholder() = default;
