#pragma once
// `quorvell-mail select`: replaces (or, with --append, extends) the selection with
// the messages named by its arguments, standard input, a notmuch query, the mblaze
// sequence or the newest messages of a folder.
//
// The selection file is written once, atomically, and only when every entry was
// found; each entry that was not is reported with its place. Returns the exit
// status: 0, 1 when something was not found or could not be written, 2 for an
// argument that does not fit (the message names the argument).

#include "platform/mail/MailState.h"
#include "platform/mail/Mailbox.h"

#include <QStringList>

#include <cstdio>

namespace quorvellmail {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Writes "quorvell-mail: message" to standard error and returns status.
int fail(const QString& message, int status = kFailed);

// arguments: what follows "select"; input: where "-" and --stdin read from.
int selectCommand(const platform::mail::Mailbox& mailbox, const platform::mail::MailState& state,
                  const QStringList& arguments, FILE* input);

}  // namespace quorvellmail
