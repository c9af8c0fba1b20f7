#pragma once

#include "import/readers/importrow.h"

#include <QString>

// What reading one import source gave: its rows, or why there are none.
struct ImportReadResult
{
    ImportRows rows;
    QString error; // set when the source could not be read; rows is then empty
    bool cancelled = false;
};
