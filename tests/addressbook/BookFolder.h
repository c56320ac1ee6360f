#pragma once
// One test's address book world: HOME and XDG_DATA_HOME in a temporary folder (so
// the import finds its book there), the log captured, and helpers that read the
// book's folder back the way other tools do, with KF5 Contacts.

#include <KContacts/Addressee>

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class BookFolder {
public:
    BookFolder();
    ~BookFolder();
    BookFolder(const BookFolder&) = delete;
    BookFolder& operator=(const BookFolder&) = delete;

    [[nodiscard]] QString root() const { return m_dir.path(); }
    // The import's folder: $XDG_DATA_HOME/quorvell/addressbook.
    [[nodiscard]] QString folder() const;
    // Copies fixtures (tests/addressbook/fixtures/<name>) into the folder.
    void addFixtures(const QStringList& names) const;
    void addFile(const QString& name, const QByteArray& bytes) const;

    // Every "*.vcf" of the folder, file name -> bytes.
    [[nodiscard]] QMap<QString, QByteArray> files() const;
    // The cards of the files that KF5 Contacts parses into exactly one card each.
    [[nodiscard]] QList<KContacts::Addressee> cards() const;
    [[nodiscard]] QList<KContacts::Addressee> people() const;
    [[nodiscard]] QList<KContacts::Addressee> groups() const;

    // What khard, configured on the folder, prints for arguments (after "-c CONFIG"),
    // or nothing when khard is not installed or does not finish within a minute.
    [[nodiscard]] QString khard(const QStringList& arguments) const;

    [[nodiscard]] const QStringList& logLines() const { return m_logLines; }
    void clearLog() { m_logLines.clear(); }

    [[nodiscard]] static QByteArray fixture(const QString& name);
    [[nodiscard]] static bool isGroup(const KContacts::Addressee& card);

private:
    QTemporaryDir m_dir;
    QStringList m_logLines;
    QByteArray m_savedHome;
    QByteArray m_savedDataHome;
};
