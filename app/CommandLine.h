#pragma once
// The command line of quorvell, and opening the display without Qt's abort.
//
//   quorvell [--help | --version]
//
// The app takes no other options and no arguments; Qt's own (-platform, -display,
// ...) are taken as Qt documents them.

#include <optional>

class QApplication;

namespace quorvell {

// Answers --help and --version before anything needs a display. An exit status
// when the process should end now (0 after the answer), else none.
[[nodiscard]] std::optional<int> answerInformationOptions(int argc, char* argv[]);

// Refuses what is left once Qt has taken its own options: an unknown option or an
// argument prints one line and gives exit status 2.
[[nodiscard]] std::optional<int> refuseOtherArguments(const QApplication& app);

// Between these two calls, a display that cannot be opened ends the process with
// one line on standard error and exit status 1, in place of Qt's plug-in report and
// abort. Messages that Qt writes meanwhile are held back and written at the end
// when the display opened.
void beginOpeningDisplay();
void endOpeningDisplay();

}  // namespace quorvell
