#include "store/defaultcollection.h"

#include "store/bookmarkcipher.h"
#include "store/bookmarkvalue.h"
#include "store/hive/hive.h"
#include "store/productsite.h"

namespace DefaultCollection {

namespace {

// A folder takes the next folder number (2 upwards); a bookmark the next
// bookmark number (2 upwards) and goes into the folder written last, or to the
// top level before the first folder.
class Writer
{
public:
    Writer(Hive &hive, const QString &key) : m_hive(hive), m_key(key) {}

    void folder(const char *name)
    {
        ++m_folder;
        put(BookmarkValue::folderName(m_folder), name);
    }
    void bookmark(const char *title, const char *address)
    {
        ++m_bookmark;
        const int folderId = m_folder == 1 ? 0 : m_folder;
        put(BookmarkValue::bookmarkName(folderId, QByteArray::number(m_bookmark)),
            QByteArray(address) + '\n' + title + "\n\n\n5");
    }
    bool allWritten() const { return m_written; }

private:
    void put(const QByteArray &name, const QByteArray &plain)
    {
        m_written = m_written && m_hive.setValue(m_key, name, bookmarkCipherEncipher(plain));
    }

    Hive &m_hive;
    const QString &m_key;
    int m_folder = 1;
    int m_bookmark = 1;
    bool m_written = true;
};

} // namespace

bool write(Hive &hive, const QString &key)
{
    HiveTransaction transaction(&hive);
    if (!transaction.isOpen())
        return false;
    Writer writer(hive, key);
    writer.bookmark("Harbrow Home site", ProductSite::HomePage);
    writer.folder("News");
    writer.bookmark("http://www.bbc.co.uk", "http://www.bbc.co.uk");
    writer.folder("Programmers");
    writer.bookmark("http://www.w3.org", "http://www.w3.org");
    writer.folder("Software");
    writer.bookmark("http://www.debian.org", "http://www.debian.org");
    writer.bookmark("http://www.gnu.org", "http://www.gnu.org");
    writer.bookmark("http://www.sqlite.org", "http://www.sqlite.org");
    if (!writer.allWritten() || !hive.setValue(key, "INI", "YES") || !transaction.commit())
        return false;
    hive.flush();
    return true;
}

} // namespace DefaultCollection
