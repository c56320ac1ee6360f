#pragma once
// The mail stand-in's log: every repair of broken mail (a guessed boundary, text
// read as Latin-1, NUL bytes blanked, an address field kept as text) is told here
// at info level, so a person who wonders why a message reads as it does can see it
// with QT_LOGGING_RULES="quorvell.mail.info=true". Silent by default: broken mail
// is common and each repair is the reading a person expects.

#include <QLoggingCategory>

namespace platform::mail {
Q_DECLARE_LOGGING_CATEGORY(lcMail)
}  // namespace platform::mail
