#pragma once

// The four privacy switches the main window holds; non-zero means on.
struct PrivacyOptions
{
    int popupFlag = 0;
    int deleteCookiesOnExit = 0;
    int deleteHistoryOnExit = 0;
    int deleteCacheOnExit = 0;
};
