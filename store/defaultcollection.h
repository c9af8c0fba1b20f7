#pragma once

#include <QString>

class Hive;

// The bookmarks a first run starts with.
namespace DefaultCollection {

// Writes the collection and the "INI" mark under key in one transaction: all of
// it lands or none, so "INI" never promises bookmarks that are not there.
bool write(Hive &hive, const QString &key);

} // namespace DefaultCollection
