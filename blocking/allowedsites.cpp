#include "blocking/allowedsites.h"

#include "store/hive/hive.h"

AllowedSites::AllowedSites(Hive *hive) : m_hive(hive)
{
    if (!m_hive)
        return;
    m_hive->visitValues(QString::fromLatin1(KeyPath), [this](QByteArrayView name, QByteArrayView) {
        m_domains.append(name.toByteArray().toLower());
        return true;
    });
}

bool AllowedSites::allow(const QByteArray &domain)
{
    if (domain.isEmpty() || contains(domain))
        return true;
    const QString key = QString::fromLatin1(KeyPath);
    if (!m_hive || !m_hive->createKey(key) || !m_hive->setValue(key, domain, "1"))
        return false;
    m_domains.append(domain);
    return true;
}

bool AllowedSites::block(const QByteArray &domain)
{
    if (!contains(domain))
        return true;
    if (!m_hive || !m_hive->deleteValue(QString::fromLatin1(KeyPath), domain))
        return false;
    m_domains.removeAll(domain);
    return true;
}
