#pragma once

#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A small file system of its own for the cases of a full disk: a tmpfs of the given size mounted on
// a fresh temporary directory (root only), unmounted again when the object goes.
class SmallTmpfs
{
public:
    explicit SmallTmpfs(qint64 sizeBytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    // False when it could not be mounted; reason() then says why (for QSKIP).
    bool isMounted() const { return m_mounted; }
    QString reason() const { return m_reason; }
    QString path() const { return m_dir.path(); }

    // Fills the remaining space with one file ("filler" in the root) until the file system refuses
    // more; false when it could not be filled.
    bool fillUp();
    // Removes the filler file again.
    void makeRoom();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_reason;
};

} // namespace testsupport
