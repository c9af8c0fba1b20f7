#pragma once

#include <QByteArray>
#include <QList>

class Hive;

// Sites where the user let trackers and ads through ("Allow on this site"),
// each a registrable domain, kept in the hive as a value name under one key.
class AllowedSites final
{
public:
    static constexpr char KeyPath[] = "Software\\k-vane\\Harbrow\\AllowedSites";

    explicit AllowedSites(Hive *hive);

    bool contains(const QByteArray &domain) const { return m_domains.contains(domain); }
    const QList<QByteArray> &domains() const { return m_domains; }
    // False when the hive did not store the change; the list then stays as it was.
    bool allow(const QByteArray &domain);
    bool block(const QByteArray &domain);

private:
    Hive *m_hive;
    QList<QByteArray> m_domains;
};
