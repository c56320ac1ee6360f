#pragma once
// What a person learns about a command whose result they cannot see: one log line
// and one desktop notification. An ordinary copy says nothing here (its sound
// answers it); the problems that stop a command before its script runs, and the
// results of an import or a save, do.

#include <QString>

#include <functional>

namespace quorvell {

// For a problem: the log line is the summary, followed by the detail when there is
// one; the notification shows both.
void tellPerson(const QString& summary, const QString& detail = {});

// For a result that shows nowhere else (an import, a save): a notification only,
// which may offer one button (actionLabel) that runs action.
void showResult(const QString& summary, const QString& actionLabel = {}, std::function<void()> action = {});

// Whether the selected messages can be worked on. When not (a mailbox that is no
// Maildir, nothing selected, every selected message gone), tells the person why
// ("No messages selected") and returns false: the command then ends before its
// script runs, leaving the clipboard alone and playing no sound. Selected messages
// that are gone for good are told once ("2 of 3 selected messages are no longer in
// the mailbox"); the command works on the rest.
[[nodiscard]] bool selectionReady();

// Once at start: a mailbox that is no Maildir (the selection's, else MAILDIR's) is
// told as an error, the sample mailbox (no selection's, no MAILDIR, no ~/Maildir)
// as a note; a mailbox of the person's own
// says nothing.
void announceMailbox();

}  // namespace quorvell
