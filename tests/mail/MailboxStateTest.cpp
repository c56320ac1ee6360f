// Where the mailbox is, what its folders hold, and the per-user selection and ids.

#include "MailTestSupport.h"

#include "platform/mail/MailState.h"
#include "platform/mail/LocationTable.h"
#include "platform/mail/Mailbox.h"

#include <QFileInfo>

using mailtest::MailEnvironment;
using platform::mail::MailState;
using platform::mail::Mailbox;
using platform::mail::MessageLocation;

namespace {

QStringList names(const QVector<MessageLocation>& messages)
{
    QStringList result;
    for (const MessageLocation& m : messages)
        result.append(m.uniqueName);
    return result;
}

TEST(Mailbox, FoldersAreInboxAndTheMaildirPlusPlusSubfolders)
{
    MailEnvironment env;
    env.addMessage(QStringLiteral("Sent"), QStringLiteral("1.M1.x:2,S"), "x");
    env.addMessage(QStringLiteral("archive.2024"), QStringLiteral("1.M2.x:2,S"), "x");
    QDir().mkpath(env.maildir() + QStringLiteral("/.NotAMaildir/other"));
    QDir().mkpath(env.maildir() + QStringLiteral("/plain/cur"));
    const Mailbox mailbox(env.maildir());
    EXPECT_EQ(mailbox.folders(), (QStringList{"INBOX", "archive.2024", "Sent"}));
    EXPECT_EQ(mailbox.folderNamed(QStringLiteral("sent")), QStringLiteral("Sent"));
    EXPECT_EQ(mailbox.folderNamed(QStringLiteral("inbox")), QStringLiteral("INBOX"));
    EXPECT_FALSE(mailbox.folderNamed(QStringLiteral("Drafts")));
    EXPECT_TRUE(mailbox.messages(QStringLiteral("../..")).isEmpty());
}

TEST(Mailbox, MessagesAreCurAndNewInDeliveryOrder)
{
    MailEnvironment env;
    env.addMessage({}, QStringLiteral("300.M1.x:2,S"), "x");
    env.addMessage({}, QStringLiteral("100.M2.x"), "x", "new");
    env.addMessage({}, QStringLiteral("200.M3.x:2,FS"), "x");
    env.addMessage({}, QStringLiteral("50.M4.x"), "x", "tmp");
    env.addMessage({}, QStringLiteral(".hidden"), "x");
    const auto messages = Mailbox(env.maildir()).messages(QStringLiteral("INBOX"));
    EXPECT_EQ(names(messages), (QStringList{"100.M2.x", "200.M3.x", "300.M1.x"}));
    EXPECT_EQ(messages.at(1).flags, QStringLiteral("FS"));
    EXPECT_EQ(messages.at(0).flags, QString());
}

// The compact table gives back every location exactly as the plain lookup makes
// it: odd flag parts, names that are not UTF-8, a name twice, a name not there.
TEST(Mailbox, LocateGivesTheLocationsFindEachGives)
{
    MailEnvironment env;
    const char* const files[][3] = {
        {"", "1.M1.x:2,S", "cur"},     {"", "2.M2.x", "new"},        {"Sent", "3.M3.x:2,", "cur"},
        {"", "4.M4.x:1,odd", "cur"},   {"", "5.M\xc3\xbc.x:2,RS", "cur"}, {"Sent", "6.M\xff.x:2,S", "cur"},
        {"", "7.M7.x:2,S:2,T", "cur"},
    };
    for (const auto& [folder, name, sub] : files) {
        const QString file = QFile::decodeName(QByteArray(name));
        env.addMessage(QString::fromLatin1(folder), file, "x", sub);
    }
    QStringList wanted;
    for (const auto& [folder, name, sub] : files)
        wanted.append(Mailbox::uniqueName(QFile::decodeName(QByteArray(name))));
    wanted << QStringLiteral("1.M1.x") << QStringLiteral("9.M9.gone");
    const Mailbox mailbox(env.maildir());
    const auto fields = [](const QVector<MessageLocation>& list) {
        QStringList out;
        for (const MessageLocation& m : list)
            out << m.folder + QLatin1Char('|') + m.uniqueName + QLatin1Char('|') + m.path + QLatin1Char('|') + m.flags;
        return out;
    };
    // All of them, and the ASCII ones alone, which are looked up where the selection holds them.
    const QStringList ascii = {wanted.at(0), wanted.at(2), wanted.at(6), wanted.at(0), wanted.at(7), wanted.at(8)};
    for (const QStringList& these : {wanted, ascii}) {
        const std::vector<std::optional<MessageLocation>> each = mailbox.findEach(these);
        QVector<platform::mail::SelectedMessage> selected;
        for (const QString& name : these)
            selected.append({name, {}, {}});
        platform::mail::LocationTable located = mailbox.locate(platform::mail::SelectedMessages(selected));
        ASSERT_EQ(located.size(), qsizetype(each.size()));
        QVector<MessageLocation> expected;
        for (qsizetype i = 0; i < located.size(); ++i) {
            ASSERT_EQ(located.has(i), each[size_t(i)].has_value()) << i;
            if (!each[size_t(i)])
                continue;
            expected.append(*each[size_t(i)]);
            EXPECT_TRUE(located.isAt(i, env.maildir(), mailbox.relative(*each[size_t(i)]).toUtf8().toStdString()));
        }
        EXPECT_EQ(fields(located.withoutEmpty().all()), fields(expected));
        EXPECT_EQ(fields(platform::mail::LocationTable(expected).all()), fields(expected));
        EXPECT_EQ(located.withoutEmpty().uniqueNames(), names(expected));
    }
}

TEST(MailState, NoSelectionFileMeansTheMailboxDefault)
{
    MailEnvironment env;
    env.addMessage({}, QStringLiteral("1.M1.x:2,S"), "x");
    env.addMessage({}, QStringLiteral("2.M2.x:2,S"), "x");
    QFile defaults(env.maildir() + QLatin1Char('/') + QLatin1String(MailState::kDefaultSelectionFile));
    ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
    defaults.write("# comment\n2.M2.x\n\n9.M9.gone\n1.M1.x\n");
    defaults.close();
    const MailState state;
    EXPECT_FALSE(state.storedSelection());
    EXPECT_EQ(names(state.read().messages->all()), (QStringList{"2.M2.x", "1.M1.x"}));
    ASSERT_TRUE(state.writeSelection({}));
    EXPECT_TRUE(state.read().messages->size() == 0) << "an empty selection is a choice, not a missing one";
}

TEST(MailState, AFailedWriteKeepsThePreviousSelection)
{
    MailEnvironment env;
    const MailState state;
    ASSERT_TRUE(state.writeSelection({"1.M1.x"}));
    QString error;
    EXPECT_FALSE(state.writeSelection({"bad\nname"}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(*state.storedSelection(), QStringList{"1.M1.x"});

    const MailState blocked(env.home() + QStringLiteral("/file-not-folder/mail"));
    QFile plain(env.home() + QStringLiteral("/file-not-folder"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_FALSE(blocked.writeSelection({"1.M1.x"}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("file-not-folder"))) << error.toStdString();
    EXPECT_EQ(QDir(env.stateDir()).entryList(QDir::Files), QStringList{"selection"}) << "no temporary files stay";
}

TEST(MailState, IdsAreGivenOnceAndKept)
{
    MailEnvironment env;
    const auto first = MailState().ids({"a", "b"});
    EXPECT_EQ(first.value("a"), 1);
    EXPECT_EQ(first.value("b"), 2);
    // A later run, another process: same ids, new ones continue after the highest.
    const auto second = MailState().ids({"c", "b", "a"});
    EXPECT_EQ(second.value("a"), 1);
    EXPECT_EQ(second.value("b"), 2);
    EXPECT_EQ(second.value("c"), 3);

    // A damaged line loses only itself; its id is not given to anyone else.
    QFile ids(env.stateDir() + QStringLiteral("/ids"));
    ASSERT_TRUE(ids.open(QIODevice::Append));
    ids.write("garbage line\n-4 d\n7 e\n\xff\xfe");
    ids.close();
    const auto third = MailState().ids({"a", "e", "f"});
    EXPECT_EQ(third.value("a"), 1);
    EXPECT_EQ(third.value("e"), 7);
    EXPECT_EQ(third.value("f"), 8);

    // A name the file could not give back gets no id and leaves the file alone.
    const QByteArray before = mailtest::readFile(ids.fileName());
    const auto fourth = MailState().ids({"g\n9 a", "h ", "a"});
    EXPECT_EQ(fourth.value("g\n9 a"), 0);
    EXPECT_EQ(fourth.value("h "), 0);
    EXPECT_EQ(fourth.value("a"), 1);
    EXPECT_EQ(mailtest::readFile(ids.fileName()), before);
}

}  // namespace
