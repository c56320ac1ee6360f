#include "bench/copy/MailCorpus.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <array>
#include <cstdint>

namespace quorvell::bench {
namespace {

// splitmix64: a tiny generator whose output is fixed by its seed on every platform.
class Stream {
public:
    explicit Stream(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform enough in [0, n) for picking words.
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    template <class T, std::size_t N>
    const T& pick(const std::array<T, N>& items)
    {
        return items[static_cast<std::size_t>(below(static_cast<int>(N)))];
    }
    QByteArray bytes(int count)
    {
        QByteArray out(count, '\0');
        for (char& c : out)
            c = static_cast<char>(next() & 0xFF);
        return out;
    }

private:
    std::uint64_t m_state;
};

constexpr qint64 kFirstDelivery = 1765000000;  // December 2025

// Plain senders: a display name, a quoted name with a comma, a bare address.
constexpr std::array<const char*, 6> kPlainNames = {
    "Ann Lee", "\"Lee, Ann\"", "", "Newsletter Team", "Robin Ashdown", "Build Robot",
};
// Names that need encoding; the ones Latin-1 can carry also come as ISO-8859-1.
constexpr std::array<const char*, 8> kEncodedNames = {
    "J\xC3\xB6rg M\xC3\xBCller",        "Fran\xC3\xA7ois Dupont",     "S\xC3\xB8ren Kierkegaard",
    "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m", "\xE5\xB1\xB1\xE7\x94\xB0 \xE5\xA4\xAA\xE9\x83\x8E",
    "\xC5\x81ukasz \xC5\xBB\xC3\xB3\xC5\x82\xC4\x87", "\xC3\x93lafur \xC3\x9E\xC3\xB3r\xC3\xB0\x61rson",
    "\xCE\x9C\xCE\xB1\xCF\x81\xCE\xAF\xCE\xB1 \xCE\xA0\xCE\xB1\xCF\x80\xCE\xAC",
};
constexpr std::array<const char*, 6> kDomains = {
    "example.org", "example.com", "example.net", "lists.example.com", "mail.example.de", "example.fr",
};
// Body words; the quoted-printable ones stand for UTF-8 text.
constexpr std::array<const char*, 24> kWords = {
    "the",     "numbers", "for",    "this",       "week",   "are",    "in",          "sheet",
    "nothing", "unusual", "please", "review",     "budget", "meeting", "Gr=C3=BC=C3=9Fe", "caf=C3=A9",
    "and",     "report",  "team",   "deadline",   "next",   "draft",  "na=C3=AFve", "schedule",
};
constexpr std::array<const char*, 24> kHtmlWords = {
    "the",     "numbers", "for",    "this",     "week",    "are",             "in",        "<b>sheet</b>",
    "nothing", "unusual", "please", "review",   "budget",  "meeting",         "Gr&uuml;&szlig;e", "caf&eacute;",
    "and",     "report",  "team",   "deadline", "next",    "<i>draft</i>",    "na&iuml;ve", "schedule",
};
constexpr std::array<const char*, 16> kSubjectWords = {
    "Status", "report", "week", "budget", "review", "Re:", "Fwd:", "meeting", "notes", "quarterly",
    "plan",   "draft",  "final", "numbers", "invoice", "schedule",
};

// RFC 2047 Q form of UTF-8 (or Latin-1) text.
QByteArray qEncoded(const QByteArray& text, const char* charset)
{
    QByteArray out = QByteArray("=?") + charset + "?Q?";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ')
            out += '_';
        else if (byte < 0x80 && byte != '=' && byte != '?' && byte != '_')
            out += c;
        else
            out += '=' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
    }
    return out + "?=";
}

QByteArray sender(Stream& s, int index)
{
    // Every draw is its own statement: the order in which operands of one
    // expression are evaluated is unspecified, and the bytes must not depend on it.
    const int user = s.below(5000);
    const QByteArray address = "user" + QByteArray::number(user) + '@' + s.pick(kDomains);
    // 41 of every 100 consecutive messages: a fixed pattern, so any 100 hold exactly 41.
    if ((index * 37) % 100 < 41) {
        const QByteArray name = s.pick(kEncodedNames);
        const QByteArray latin1 = QString::fromUtf8(name).toLatin1();
        QByteArray encoded;
        if (QString::fromLatin1(latin1) == QString::fromUtf8(name) && s.below(2) == 0)
            encoded = qEncoded(latin1, "ISO-8859-1");
        else if (s.below(2) == 0)
            encoded = "=?UTF-8?B?" + name.toBase64() + "?=";
        else
            encoded = qEncoded(name, "UTF-8");
        return encoded + " <" + address + '>';
    }
    const QByteArray name = s.pick(kPlainNames);
    return name.isEmpty() ? address : name + " <" + address + '>';
}

// A list of mailboxes, one a line after the first.
QByteArray addressList(Stream& s, int count, const QByteArray& first)
{
    QByteArray out = first;
    for (int i = 0; i < count; ++i) {
        out += out.isEmpty() ? "" : ",\n\t";
        const int name = s.below(900);
        const int mailbox = s.below(900);
        out += "Colleague " + QByteArray::number(name) + " <colleague" + QByteArray::number(mailbox) + '@'
               + s.pick(kDomains) + '>';
    }
    return out;
}

QByteArray subject(Stream& s)
{
    QByteArray words;
    const int count = 3 + s.below(12);
    for (int i = 0; i < count; ++i)
        words += (i ? " " : "") + QByteArray(s.pick(kSubjectWords));
    if (s.below(7) == 0)
        return qEncoded(words + " \xE2\x80\x94 Gr\xC3\xBC\xC3\x9F" "e", "UTF-8");
    // Long subjects fold at a blank after 60 columns.
    const qsizetype blank = words.indexOf(' ', 60);
    if (blank > 0)
        words.insert(blank, '\n');
    return words;
}

QByteArray receivedFields(Stream& s, const QByteArray& date)
{
    QByteArray out;
    for (int hop = 0; hop < 3; ++hop) {
        const int mx = s.below(40);
        const QByteArray host = "mx" + QByteArray::number(mx) + '.' + s.pick(kDomains);
        const int address = s.below(250);
        const QByteArray queueId = s.bytes(5).toHex().toUpper();
        out += "Received: from " + host + " (" + host + " [192.0.2." + QByteArray::number(address) + "])\n"
               "\tby mail.example.org (Postfix) with ESMTPS id " + queueId + "\n"
               "\tfor <robin@ashdown.example>; " + date + '\n';
    }
    return out;
}

QByteArray dkimSignature(Stream& s, qint64 time)
{
    const QByteArray signature = s.bytes(256).toBase64();
    const QByteArray bodyHash = s.bytes(32).toBase64();
    QByteArray out = "DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=example.com;\n"
                     "\ts=selector1; t=" + QByteArray::number(time) + ";\n"
                     "\th=from:to:subject:date:message-id:mime-version:content-type;\n"
                     "\tbh=" + bodyHash + ";\n\tb=";
    for (qsizetype at = 0; at < signature.size(); at += 70)
        out += (at ? "\n\t " : "") + signature.mid(at, 70);
    return out + ";\n";
}

// Text of about `bytes` bytes in lines under 76 columns, paragraphs apart.
QByteArray bodyText(Stream& s, int bytes, const std::array<const char*, 24>& words, const char* open,
                    const char* close)
{
    QByteArray out;
    out.reserve(bytes + 128);
    int lines = 0;
    while (out.size() < bytes) {
        QByteArray line = open;
        while (line.size() < 60)
            line += QByteArray(s.pick(words)) + ' ';
        line.chop(1);
        out += line + close + '\n';
        if (++lines % 6 == 0)
            out += '\n';
    }
    return out;
}

QByteArray alternative(Stream& s, const QByteArray& boundary, int bytes)
{
    const QByteArray plain = bodyText(s, bytes / 2, kWords, "", "");
    const QByteArray html = bodyText(s, bytes / 2, kHtmlWords, "<p>", "</p>");
    return "--" + boundary + "\nContent-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n\n"
           + plain + "\n--" + boundary + "\nContent-Type: text/html; charset=utf-8\n\n<html><body>\n" + html
           + "</body></html>\n--" + boundary + "--\n";
}

QByteArray attachmentPart(Stream& s, const QByteArray& boundary, int index)
{
    const QByteArray data = s.bytes(200 * 1024).toBase64();
    QByteArray out = "--" + boundary + "\nContent-Type: application/pdf; name=\"report-" + QByteArray::number(index)
                     + ".pdf\"\nContent-Disposition: attachment; filename=\"report-" + QByteArray::number(index)
                     + ".pdf\"\nContent-Transfer-Encoding: base64\n\n";
    out.reserve(out.size() + data.size() + data.size() / 76 + 64);
    for (qsizetype at = 0; at < data.size(); at += 76)
        out += data.mid(at, 76) + '\n';
    return out;
}

qint64 deliveryTime(int index)
{
    return kFirstDelivery + qint64(index) * 37;
}

QString uniqueName(int index)
{
    return QStringLiteral("%1.M%2P4242.bench").arg(deliveryTime(index)).arg(index);
}

}  // namespace

CorpusShape corpusShape(CorpusSet set)
{
    if (set == CorpusSet::Large)
        return {1000, 50 * 1000, 50 * 1000, 0};
    return {10000, 2 * 1000, 60 * 1000, 100};
}

QByteArray corpusMessage(CorpusSet set, int index)
{
    const CorpusShape shape = corpusShape(set);
    Stream s((set == CorpusSet::Large ? 0x4C41524745ULL : 0x4D49584544ULL) * 1000003ULL + std::uint64_t(index));
    const qint64 time = deliveryTime(index);
    const QByteArray date = QDateTime::fromSecsSinceEpoch(time - 60 - s.below(3600), Qt::UTC)
                                .toString(Qt::RFC2822Date)
                                .toLatin1();
    const QByteArray to = addressList(s, s.below(7), "Robin Ashdown <robin@ashdown.example>");
    const QByteArray alt = "=_alt_" + QByteArray::number(index) + '_' + s.bytes(4).toHex();
    const bool attached = shape.attachmentEvery > 0 && index % shape.attachmentEvery == shape.attachmentEvery / 2;

    QByteArray message = "Return-Path: <bounce-" + QByteArray::number(index) + "@lists.example.com>\n";
    message += receivedFields(s, date);
    message += dkimSignature(s, time);
    message += "From: " + sender(s, index) + "\nTo: " + to + '\n';
    if (s.below(5) < 2)
        message += "Cc: " + addressList(s, 1 + s.below(3), {}) + '\n';
    message += "Subject: " + subject(s) + "\nDate: " + date + '\n';
    message += "Message-ID: <" + QByteArray::number(time) + '.' + QByteArray::number(index) + '.' + s.bytes(6).toHex()
               + "@mail.example.com>\nMIME-Version: 1.0\n";
    const int target = shape.minBytes + s.below(shape.maxBytes - shape.minBytes + 1);
    if (!attached) {
        message += "Content-Type: multipart/alternative;\n\tboundary=\"" + alt + "\"\n\n";
        const int room = std::max(200, target - int(message.size()) - 300);
        return message + alternative(s, alt, room);
    }
    const QByteArray mixed = "=_mix_" + QByteArray::number(index);
    message += "Content-Type: multipart/mixed;\n\tboundary=\"" + mixed + "\"\n\n--" + mixed
               + "\nContent-Type: multipart/alternative; boundary=\"" + alt + "\"\n\n";
    const int room = std::max(200, target - int(message.size()) - 400);
    return message + alternative(s, alt, room) + attachmentPart(s, mixed, index) + "--" + mixed + "--\n";
}

QStringList writeCorpus(CorpusSet set, const QString& maildir)
{
    for (const char* sub : {"/cur", "/new", "/tmp"}) {
        if (!QDir().mkpath(maildir + QLatin1String(sub)))
            return {};
    }
    QStringList names;
    const int count = corpusShape(set).count;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QByteArray message = corpusMessage(set, i);
        const QString name = uniqueName(i);
        QFile file(maildir + QStringLiteral("/cur/") + name + QStringLiteral(":2,S"));
        if (!file.open(QIODevice::WriteOnly) || file.write(message) != message.size())
            return {};
        names.append(name);
    }
    return names;
}

}  // namespace quorvell::bench
