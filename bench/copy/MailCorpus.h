#pragma once
// Deterministic Maildirs for the command benchmarks: the same bytes on every
// machine and every run, so figures taken on different days compare.
//
// Two sets, both multipart/alternative (a quoted-printable plain part and an HTML
// part) with the header blocks real mail has (Received and DKIM-Signature fields
// folded over several lines, folded To lists):
//   Mixed       10,000 messages of 2-60 KB; 41 % of the From fields carry an
//               RFC 2047 encoded name; every hundredth message is multipart/mixed
//               with a 200 KiB base64 attachment.
//   Large       1,000 messages of 50 KB each, no attachment.
// The content of message i depends only on the set and i (a fixed-seed
// splitmix64 stream per message), never on the C++ library's distributions.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvell::bench {

enum class CorpusSet { Mixed, Large };

struct CorpusShape {
    int count;
    int minBytes;         // size of a message without its attachment
    int maxBytes;
    int attachmentEvery;  // every n-th message carries one; 0: none
};

[[nodiscard]] CorpusShape corpusShape(CorpusSet set);

// Message number index of the set, as the file holds it.
[[nodiscard]] QByteArray corpusMessage(CorpusSet set, int index);

// Writes the set into maildir/cur (creating cur, new and tmp) and returns the
// unique names in delivery order; empty when a file cannot be written.
[[nodiscard]] QStringList writeCorpus(CorpusSet set, const QString& maildir);

}  // namespace quorvell::bench
