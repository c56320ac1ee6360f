# Quorvell for mblaze: source this file from your shell's startup file.
#
#   mq          selects the current message
#   mq 3:5 =    selects messages as mblaze names them (see mmsg(7))
#   quorvell-mail select --mblaze    selects the whole current sequence
#   mqs         optional: selects and runs one tray command, here Copy Subject
#
# The lines that do it:
mq() { mseq -r "${@:-.}" | quorvell-mail select -; }
mqs() { mseq -r "${@:-.}" | quorvell-mail select --then CopySubject -; }
