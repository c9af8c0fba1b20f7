#pragma once

#include <QByteArray>
#include <QUrl>

// Harbrow's own page for a page a list blocks: its host, the rule, the list,
// "Go back" and "Open anyway". Served through the harbrow scheme.
namespace BlockedPage {

inline constexpr char Path[] = "/blocked";
inline constexpr char BackPath[] = "/blocked/back";
inline constexpr char OpenPath[] = "/blocked/open";

QUrl address(const QUrl &blocked, const QString &rule, const QString &list);
bool isAddress(const QUrl &url); // any of the three paths
// The address "Open anyway" asks for, when url is that link; empty otherwise.
QUrl openTarget(const QUrl &url);
bool isBack(const QUrl &url);
QByteArray html(const QUrl &url);

} // namespace BlockedPage
