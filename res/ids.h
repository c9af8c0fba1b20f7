#pragma once

// Command and control ids, named once. Actions carry their command id.
namespace Ids {

// Main window menu.
inline constexpr int HelpOnWeb = 32829;
inline constexpr int About = 32830;
inline constexpr int Exit = 32832;
inline constexpr int Options = 32856;
inline constexpr int ExportBookmarks = 32857;

// Favourites window toolbar; AddBookmark is also the browser page's "Add Favourites".
inline constexpr int AddBookmark = 32836;
inline constexpr int EditBookmark = 32837;
inline constexpr int DeleteBookmark = 32838;
inline constexpr int ImportBookmarks = 32839;
inline constexpr int GoToBookmark = 32841;
inline constexpr int AddFolder = 32842;
inline constexpr int RemoveFolder = 32843;
inline constexpr int GoHome = 32844;

// Bookmarks page: the bookmark list's and the folder tree's context menus.
inline constexpr int ListGo = 32789;
inline constexpr int ListAdd = 32790;
inline constexpr int ListProperties = 32791;
inline constexpr int ListDelete = 32792;
inline constexpr int ListMoveTo = 32793;
inline constexpr int ListSelectAll = 32794;
inline constexpr int FolderAdd = 1006;
inline constexpr int FolderDelete = 1007;
inline constexpr int FolderRename = 1008;

// Organize page: its context menu.
inline constexpr int OrganizeCreateFolder = 32798;
inline constexpr int OrganizeDelete = 32799;
inline constexpr int OrganizeRename = 32800;
inline constexpr int OrganizeEdit = 32802;

// Options dialog (template 478).
inline constexpr int OptionsInternet = 1000;
inline constexpr int OptionsPopupFlag = 1079;
inline constexpr int OptionsDeleteCookies = 1080;
inline constexpr int OptionsDeleteHistory = 1081;
inline constexpr int OptionsDeleteCache = 1082;
inline constexpr int OptionsBlockTrackers = 1083;

// Browser page: toolbar commands and controls. "Add Favourites" is AddBookmark.
inline constexpr int BrowserBack = 1000;
inline constexpr int BrowserForward = 1354;
inline constexpr int BrowserStop = 1355;
inline constexpr int BrowserRefresh = 1356;
inline constexpr int BrowserGo = 1359;
inline constexpr int BrowserHome = 1360;
inline constexpr int BrowserToolBar = 104;
inline constexpr int BrowserView = 1353;
inline constexpr int BrowserAddressLabel = 1358;
inline constexpr int BrowserAddressBox = 1369;
inline constexpr int BrowserPopupCatcher = 1371;
inline constexpr int BrowserAllowPopups = 1361;

// Start page: its view.
inline constexpr int StartView = 1344;

} // namespace Ids
