#pragma once
// What `select` tells a mail client afterwards, and the tray command it may run.
//
// A client shows a command's output in its own way (neomutt's message line, a
// terminal tab of aerc), so select prints one line on success ("3 messages
// selected") and keeps that line, or the first reason it failed, in the state
// folder's "last-result"; `quorvell-mail result` prints it again, as a muttrc
// "echo" command with --muttrc.

#include "platform/mail/MailState.h"

#include <QString>

#include <optional>

namespace quorvellmail {

void recordResult(const platform::mail::MailState& state, const QString& line);
[[nodiscard]] std::optional<QString> lastResult(const platform::mail::MailState& state);
// The line as a muttrc command that shows it: echo 'Quorvell: ...'.
[[nodiscard]] QString asMuttrcEcho(const QString& line);

// Whether method names a method the app could have: letters only.
[[nodiscard]] bool isTrayCommandName(const QString& method);
// Calls the running app's method (CopySubject, ...) on the session bus and waits
// for it to finish; starts the app when the bus can. Empty on success, else why not.
[[nodiscard]] QString runTrayCommand(const QString& method);

}  // namespace quorvellmail
